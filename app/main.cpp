// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the window program.
#include "QuarrowApp.h"
#include "StandardStreams.h"

int main(int argc, char** argv) {
  // Before the display's connection or a saved file can take the number of a closed standard
  // error, which Qt's warnings are written to.
  quarrow::OpenClosedStandardStreams();
  return quarrow::theApp.InitInstance(argc, argv);
}
