#pragma once

#include "store/CommonSettings.h"
#include "ui/PropertySheet.h"

#include <QStringList>

class UiServices;

// The sending page: how mail leaves (own SMTP client or the companion
// client), the server and sender, the outgoing folder and dial-up.
class CCommonPage1 : public TemplatePage
{
    Q_OBJECT

public:
    CCommonPage1(UiServices &ui, CommonSettings &settings, QStringList entryNames);

    // The rules, from what the controls show.
    void ApplyModeRule();
    void ApplyDialUpRule();
    void ApplyLabelRule();

    // The bound fields, and the connection security, which the list shows by
    // position.
    void ShowValues() override;
    std::optional<FieldError> TakeFieldValues() override;

protected:
    QList<FieldBinding> bindings() override;
    void OnInitDialog() override;

private:
    void OnBrowseFolder();
    void OnBrowseProgram();

    UiServices &m_ui;
    CommonSettings &m_settings;
    QStringList m_entryNames;
};

// The editing page: the editor started on queued mails and list files.
class CCommonPage2 : public TemplatePage
{
    Q_OBJECT

public:
    CCommonPage2(UiServices &ui, CommonSettings &settings);

protected:
    QList<FieldBinding> bindings() override;

private:
    UiServices &m_ui;
    CommonSettings &m_settings;
};

// The common settings sheet: edits a copy of the settings shared by all
// lists; the main window takes the copy back only when the sheet ends with OK.
class CCommonSheet : public PropertySheet
{
    Q_OBJECT

public:
    // entryNames: the dial-up connections the owner can pick from, in any order.
    CCommonSheet(UiServices &ui, const CommonSettings &settings, QStringList entryNames,
                 QWidget *parent = nullptr);

    // The 17 values the pages show and take.
    CommonSettings m_settings;

protected:
    void OnOK() override;

private:
    // A missing outgoing folder is offered to be created; false when the
    // owner wanted it and it could not be made.
    bool OfferMissingFolder();

    UiServices &m_ui;
};
