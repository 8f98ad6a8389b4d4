// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's own artwork: the application icon in several sizes and the donation button
// picture. Run once by hand (target quarrow-artwork); the PNGs it writes, and the Windows icon made
// of them, are committed beside it.
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdio>
#include <initializer_list>

namespace {

// An eight-pin DIP package seen from above, with bits streaming out of its data pin: the PROM the
// tool reads.
QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 128.0, size / 128.0);

  // Legs first, so the body covers their inner ends.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xC8, 0xCC, 0xD0));
  for (int i = 0; i < 4; ++i) {
    const double y = 22 + i * 24;
    p.drawRoundedRect(QRectF(14, y, 22, 10), 2, 2);
    p.drawRoundedRect(QRectF(92, y, 22, 10), 2, 2);
  }

  QLinearGradient body(0, 10, 0, 118);
  body.setColorAt(0, QColor(0x3A, 0x3F, 0x47));
  body.setColorAt(1, QColor(0x16, 0x19, 0x1E));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(28, 10, 72, 108), 8, 8);

  // Pin-1 notch.
  p.setBrush(QColor(0x0B, 0x0D, 0x10));
  p.drawEllipse(QPointF(64, 12), 10, 10);

  // Bits on the package: a short run of the 128, lit amber for ones.
  const bool bits[] = {true, false, true, true, false, true, false, false, true};
  const QColor on(0xFF, 0xB3, 0x1A), off(0x55, 0x5C, 0x66);
  for (int i = 0; i < 9; ++i) {
    p.setBrush(bits[i] ? on : off);
    p.drawRoundedRect(QRectF(38 + (i % 3) * 18, 40 + (i / 3) * 20, 14, 14), 3, 3);
  }
  return image;
}

QImage DrawDonate() {
  QImage image(74, 21, QImage::Format_RGB888);
  image.fill(QColor(0xF0, 0xF0, 0xF0));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(0, 0, 0, 21);
  fill.setColorAt(0, QColor(0xFF, 0xD8, 0x6B));
  fill.setColorAt(1, QColor(0xF5, 0xA6, 0x23));
  p.setPen(QPen(QColor(0xB0, 0x74, 0x10), 1));
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(0.5, 0.5, 73, 20), 9, 9);

  QFont font("DejaVu Sans");
  font.setPixelSize(12);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(0x1C, 0x2E, 0x5A));
  p.drawText(QRect(0, 0, 74, 21), Qt::AlignCenter, QStringLiteral("Donate"));
  return image;
}

// A Windows icon file holding the PNG pictures as they are: a 6-byte header, a 16-byte directory
// entry per picture, then the pictures. Windows Vista and later read PNG entries of any size.
bool WriteWindowsIcon(const QString& folder, std::initializer_list<int> sizes) {
  QList<QByteArray> pictures;
  for (int size : sizes) {
    QFile png(folder + QStringLiteral("/icon-%1.png").arg(size));
    if (!png.open(QIODevice::ReadOnly)) return false;
    pictures.append(png.readAll());
  }
  QByteArray ico;
  auto put16 = [&](int value) {
    ico.append(static_cast<char>(value & 0xFF));
    ico.append(static_cast<char>((value >> 8) & 0xFF));
  };
  auto put32 = [&](qsizetype value) {
    put16(static_cast<int>(value & 0xFFFF));
    put16(static_cast<int>((value >> 16) & 0xFFFF));
  };
  put16(0);  // reserved
  put16(1);  // an icon, not a cursor
  put16(static_cast<int>(pictures.size()));
  qsizetype offset = 6 + 16 * pictures.size();
  auto size = sizes.begin();
  for (const QByteArray& picture : pictures) {
    const int side = *size++;
    ico.append(static_cast<char>(side >= 256 ? 0 : side));  // width, 0 meaning 256
    ico.append(static_cast<char>(side >= 256 ? 0 : side));  // height
    ico.append('\0');  // no palette
    ico.append('\0');  // reserved
    put16(1);           // colour planes
    put16(32);          // bits per pixel
    put32(picture.size());
    put32(offset);
    offset += picture.size();
  }
  for (const QByteArray& picture : pictures) ico.append(picture);
  QFile out(folder + QStringLiteral("/quarrow.ico"));
  return out.open(QIODevice::WriteOnly) && out.write(ico) == ico.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quarrow-artwork OUTPUT_FOLDER\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  bool ok = true;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    ok &= DrawIcon(size).save(folder + QStringLiteral("/icon-%1.png").arg(size));
  }
  ok &= DrawDonate().save(folder + QStringLiteral("/donate.png"));
  // 256 pixels for the large views of Windows Explorer and the Start menu.
  ok &= WriteWindowsIcon(folder, {16, 24, 32, 48, 64, 128, 256});
  if (!ok) std::fprintf(stderr, "quarrow-artwork: could not write the pictures to %s\n", argv[1]);
  return ok ? 0 : 1;
}
