// SPDX-License-Identifier: GPL-3.0-or-later
// The icon from the program's resources and the data boxes' font.
#include "WindowLook.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <algorithm>

#include "Resources.h"

// Outside any namespace, as Qt's resource initialiser must be.
static void InitQuarrowResources() { Q_INIT_RESOURCE(quarrow); }

namespace quarrow {

QIcon ApplicationIcon() {
  InitQuarrowResources();
  QIcon icon;
  for (int size : res::kIconSizes) {
    icon.addFile(QString::fromUtf8(res::kIconResourceFormat).arg(size), QSize(size, size));
  }
  return icon;
}

QFont FixedFont(const QFont& windowFont) {
  QFont font = QFontDatabase::families().contains(QStringLiteral("Lucida Console"))
                   ? QFont(QStringLiteral("Lucida Console"))
                   : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  // Under Wine without Windows' fonts the system's fixed font, "Courier New", is missing, and what
  // stands in for it need not be monospaced: then the first monospaced family installed.
  if (!QFontInfo(font).fixedPitch()) {
    const QStringList families = QFontDatabase::families();
    const auto fixed = std::find_if(families.begin(), families.end(),
                                    [](const QString& family) { return QFontDatabase::isFixedPitch(family); });
    if (fixed != families.end()) font = QFont(*fixed);
  }
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  // The size asked for, where it was asked in points: what the font engine makes of it is rounded
  // to whole pixels, differently on each platform.
  const double points = windowFont.pointSizeF() > 0 ? windowFont.pointSizeF() : QFontInfo(windowFont).pointSizeF();
  const double scale = points / res::kDataFontReferencePoints;
  font.setPixelSize(std::max(1, qRound(res::kDataFontPixels * scale)));
  return font;
}

}  // namespace quarrow
