// SPDX-License-Identifier: GPL-3.0-or-later
// Texts that hold outside data (file names, table fields, library messages) shown where Qt would
// take anything that looks like markup for rich text: a folder named "<h1>" or a table's "<img>"
// must show as typed.
#pragma once

#include <QString>
#include <QTextDocument>

namespace quarrow {

// A tooltip is rich text whenever Qt guesses so, and a plain tooltip cannot be asked for: the text
// is turned into rich text that shows exactly the characters given, line breaks kept.
inline QString PlainToolTip(const QString& text) {
  return text.isEmpty() ? text : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

}  // namespace quarrow
