// SPDX-License-Identifier: GPL-3.0-or-later
// File names between the window's text and the file routines.
#include "FileNames.h"

#include <QDir>
#include <QFile>

namespace quarrow {

std::filesystem::path SystemPath(const QString& path) {
#ifdef Q_OS_WIN
  return std::filesystem::path(path.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString ShownPath(const QString& path) { return QDir::toNativeSeparators(path); }

}  // namespace quarrow
