#pragma once

#include "store/CommonSettings.h"
#include "store/MailingListEntry.h"

class CAppRegistry;

// The four steps the main window runs on the store. The loads share the
// store object the window start opened; each save opens its own.
void LoadCommonSettings(CAppRegistry &store, CommonSettings &settings);
ListRegister LoadRegister(CAppRegistry &store);

// Replaces the whole register in one step: the store on disk holds either the
// old register or the new one. False, with the reason in *error, when the new
// one could not be written.
bool SaveRegister(const ListRegister &lists, QString *error = nullptr);
bool SaveCommonSettings(const CommonSettings &settings, QString *error = nullptr);
