// SPDX-License-Identifier: GPL-3.0-or-later
// The words for an identification and a diagnosis, shared by the window and the command line.
#pragma once

#include <string>

#include "Diagnosis.h"
#include "Identify.h"

namespace quarrow {

// One sentence: "Known dump: pc_smb, Super Mario Bros. (PlayChoice-10), Nintendo 1985", a near miss
// with its cause, or "Not a known dump: ...".
std::string IdentificationSentence(const Identification& identification);
// For a narrow pane: the set name ("pc_rygar +3" for a dump shared by four sets), "near miss: SET"
// or "unknown dump".
std::string IdentificationShort(const Identification& identification);

std::string DiagnosisSentence(Diagnosis diagnosis);
std::string DiagnosisShort(Diagnosis diagnosis);

// "pc_smb, Super Mario Bros. (PlayChoice-10), Nintendo 1985"
std::string SetDescription(const KnownDump& set);

}  // namespace quarrow
