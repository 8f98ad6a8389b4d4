// SPDX-License-Identifier: GPL-3.0-or-later
// The status line's text pane, shortened in the middle to its width.
#include "StatusPane.h"

#include <QFontMetrics>
#include <QSizePolicy>
#include <QTextDocument>

#include <algorithm>

namespace quarrow {

StatusPane::StatusPane(const QString& text, QWidget* parent) : QLabel(parent) {
  // Paths and library messages are data, never markup.
  setTextFormat(Qt::PlainText);
  // The pane takes the width the status line leaves it rather than the width of its text.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  SetText(text);
}

void StatusPane::SetText(const QString& text) {
  m_text = text;
  // A tooltip takes text that looks like markup as markup; such a text is shown escaped instead.
  setToolTip(Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text);
  setAccessibleName(text);
  ShowFitted();
}

void StatusPane::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  ShowFitted();
}

void StatusPane::ShowFitted() {
  const int room = contentsRect().width() - 2 * margin() - 2 * std::max(0, indent());
  setText(room > 0 ? fontMetrics().elidedText(m_text, Qt::ElideMiddle, room) : m_text);
}

}  // namespace quarrow
