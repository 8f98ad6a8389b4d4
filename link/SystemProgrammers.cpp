// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemProgrammers.h"

#ifdef _WIN32
#include "D2xxLibrary.h"
#include "Ftd2xxDll.h"
#else
#include "libftdi/LibFtdiProgrammers.h"
#endif

namespace quarrow {

std::unique_ptr<IProgrammerLibrary> CreateSystemProgrammers() {
#ifdef _WIN32
  return std::make_unique<D2xxLibrary>(std::make_unique<Ftd2xxDll>());
#else
  return std::make_unique<LibFtdiProgrammers>();
#endif
}

}  // namespace quarrow
