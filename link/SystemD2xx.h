// SPDX-License-Identifier: GPL-3.0-or-later
// The programmer library of the platform: libftdi1 on Linux, ftd2xx.dll on Windows.
#pragma once

#include <memory>

#include "D2xx.h"

namespace quarrow {

std::unique_ptr<ID2xx> CreateSystemD2xx();

}  // namespace quarrow
