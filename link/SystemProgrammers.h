// SPDX-License-Identifier: GPL-3.0-or-later
// The programmer libraries of the platform: libftdi1 on Linux, ftd2xx.dll on Windows.
#pragma once

#include <memory>

#include "ProgrammerLibrary.h"

namespace quarrow {

std::unique_ptr<IProgrammerLibrary> CreateSystemProgrammers();

}  // namespace quarrow
