// SPDX-License-Identifier: GPL-3.0-or-later
// The words for an identification and a diagnosis, shared by the window and the command line.
#pragma once

#include <string>
#include <vector>

#include "Diagnosis.h"
#include "Identify.h"

namespace quarrow {

// One sentence: "Known dump: pc_smb, Super Mario Bros. (PlayChoice-10), Nintendo 1985" (and the
// layout to open a file in that was opened in the other), a near miss with its cause, or "Not a
// known dump: ...", which suggests sending the dump to MAME only when no diagnosis doubts the read.
std::string IdentificationSentence(const Identification& identification,
                                   const std::vector<Diagnosis>& diagnoses);
// For a narrow pane: the set name ("pc_rygar +3" for a dump shared by four sets), "near miss: SET"
// or "unknown dump".
std::string IdentificationShort(const Identification& identification);

// What to do about a chip whose read is a near miss of `kind`: the likely fault and a read again.
const char* NearMissRereadAdvice(NearMiss kind);

std::string DiagnosisSentence(Diagnosis diagnosis);
// Reads that differ, counted: "Reads of the chip differ: 2 of 5 reads differ from the first - ..."
std::string ReadsDifferSentence(int differingReads, int reads);

// "MAME" or "raw (NSS)"
const char* LayoutTitle(ImageFileLayout layout);
std::string DiagnosisShort(Diagnosis diagnosis);

// "pc_smb, Super Mario Bros. (PlayChoice-10), Nintendo 1985"
std::string SetDescription(const KnownDump& set);

}  // namespace quarrow
