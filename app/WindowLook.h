// SPDX-License-Identifier: GPL-3.0-or-later
// What the windows look like beyond their templates: the program's icon and the fixed font of the
// data boxes.
#pragma once

#include <QFont>
#include <QIcon>

namespace quarrow {

// The program's icon in all its sizes.
QIcon ApplicationIcon();

// "Lucida Console" where installed, else the system's fixed font, in proportion to `windowFont`
// (which follows the desktop's text size).
QFont FixedFont(const QFont& windowFont);

}  // namespace quarrow
