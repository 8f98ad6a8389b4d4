// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window program's own command-line errors go.
#pragma once

#include <QString>

namespace quarrow {

// Writes "quarrow: TEXT" to standard error. A Windows window program started from a Command
// Prompt or Explorer has no standard error anyone sees: there the text goes to a message box, as
// Qt's own --help does; with its output redirected (a script, a test) it goes to the redirection.
void ReportCommandLineError(const QString& text);

}  // namespace quarrow
