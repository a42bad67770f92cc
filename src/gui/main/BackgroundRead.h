#pragma once

#include "commands/MailBatch.h"

#include <QString>

#include <functional>

class QWidget;

// Runs a long read (many returned mails, a large one) on a worker thread
// while the window's event loop goes on; past half a second a progress
// dialog with a cancel button shows. work gets the progress to report to,
// which answers false once the owner cancelled. False when cancelled.
bool RunWithProgress(QWidget *parent, const QString &label,
                     const std::function<bool(const MailBatch::Progress &)> &work);
