// SPDX-License-Identifier: GPL-3.0-or-later
// A program started with standard input, output or error closed (`2>&-`, a careless parent) would
// hand those numbers to the first files it opens: the archive log or an image file would then take
// the text meant for the terminal. They are opened on the null device first.
#pragma once

namespace quarrow {

// Opens each of descriptors 0, 1 and 2 that is closed on the null device. Call it first thing in
// main, before anything else opens a file. Windows hands out no such numbers to files opened by
// handle, so there it does nothing.
void OpenClosedStandardStreams() noexcept;

// Whether standard output was closed when OpenClosedStandardStreams ran: what the program writes
// there goes to the null device, so data asked for on standard output would be lost.
bool StandardOutputWasClosed() noexcept;

}  // namespace quarrow
