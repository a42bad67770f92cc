#pragma once

#include "config/MajordomoConfig.h"
#include "ui/PropertySheet.h"

class QWidget;
class UiServices;

// The sheet in which the owner edits one list's Majordomo settings: five
// pages over the record it owns. It does no file work: the caller loads the
// record before showing it and saves it after OK.
class CConfigSheet : public PropertySheet
{
    Q_OBJECT

public:
    explicit CConfigSheet(UiServices &ui, QWidget *parent = nullptr);

    MajordomoConfig &config() { return m_config; }

private:
    MajordomoConfig m_config; // before the pages, which hold it
};

// The config tab's edit button (1081): loads the file at path, runs the sheet
// modally and saves on OK; a save that fails is shown with its reason and the
// file stays as it was. True when the file was saved. A file that cannot be
// read opens the sheet with every field disabled, and OK writes nothing.
bool EditConfigFile(UiServices &ui, QWidget *parent, const QString &path);
