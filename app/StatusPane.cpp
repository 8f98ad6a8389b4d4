// SPDX-License-Identifier: GPL-3.0-or-later
// The status line's text pane, shortened in the middle to its width.
#include "StatusPane.h"

#include <QFontMetrics>
#include <QSizePolicy>

#include <algorithm>

#include "PlainText.h"
#include "Texts.h"

namespace quarrow {

StatusPane::StatusPane(const QString& text, QWidget* parent) : QLabel(parent) {
  // Paths and library messages are data, never markup.
  setTextFormat(Qt::PlainText);
  // The pane takes the width the status line leaves it rather than the width of its text.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  // Else assistive technology would describe the pane by its tooltip, which is the text as markup.
  setAccessibleDescription(QString::fromUtf8(res::kStatusPaneDescription));
  SetText(text);
}

void StatusPane::SetText(const QString& text) {
  m_text = text;
  setToolTip(PlainToolTip(text));
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
