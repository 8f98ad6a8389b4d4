// SPDX-License-Identifier: GPL-3.0-or-later
// File names between the window's text and the file routines.
#pragma once

#include <QString>

#include <filesystem>

namespace quarrow {

// The file name as the system spells it: UTF-16 on Windows, where the ANSI code page would lose
// every character outside it; the bytes Qt gives the name elsewhere.
std::filesystem::path SystemPath(const QString& path);

// The name as the person writes it on their system: with backslashes on Windows.
QString ShownPath(const QString& path);

}  // namespace quarrow
