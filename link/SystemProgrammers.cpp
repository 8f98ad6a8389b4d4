// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemProgrammers.h"

#include "ProgrammerFamilies.h"
#ifdef _WIN32
#include "Ch341DllA64.h"
#include "Ch341DllLibrary.h"
#include "D2xxLibrary.h"
#include "Ftd2xxDll.h"
#else
#include "ch341a/Ch341aLibrary.h"
#include "gpio/GpioLibrary.h"
#include "libftdi/LibFtdiProgrammers.h"
#endif

namespace quarrow {

std::unique_ptr<IProgrammerLibrary> CreateSystemProgrammers() {
  std::vector<ProgrammerFamilies::Family> families;
#ifdef _WIN32
  families.push_back({kFtdiFamily, std::make_unique<D2xxLibrary>(std::make_unique<Ftd2xxDll>())});
  families.push_back({kCh341aFamily, std::make_unique<Ch341DllLibrary>(std::make_unique<Ch341DllA64>())});
#else
  families.push_back({kFtdiFamily, std::make_unique<LibFtdiProgrammers>()});
  families.push_back({kCh341aFamily, std::make_unique<Ch341aLibrary>()});
  families.push_back({kGpioFamily, std::make_unique<GpioLibrary>()});
#endif
  return std::make_unique<ProgrammerFamilies>(std::move(families));
}

}  // namespace quarrow
