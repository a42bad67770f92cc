#pragma once

#include "store/CommonSettings.h"
#include "ui/PropertySheet.h"

// The common settings sheet: edits a copy of the settings shared by all
// lists; the main window takes the copy back only when the sheet ends with OK.
// Its pages, the sending and the editing settings, are added here.
class CCommonSheet : public PropertySheet
{
    Q_OBJECT

public:
    CCommonSheet(UiServices &ui, const CommonSettings &settings, QWidget *parent = nullptr);

    // The 17 values the pages show and take.
    CommonSettings m_settings;
};
