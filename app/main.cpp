// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the window program.
#include "QuarrowApp.h"

int main(int argc, char** argv) { return quarrow::theApp.InitInstance(argc, argv); }
