// SPDX-License-Identifier: GPL-3.0-or-later
// Pane 0 of the status line. A saved file's path or an error's reason may be far wider than the
// window, which keeps its size: the pane leaves out the middle of such a text, so that the start
// (what happened) and the end (the file name, the reason) stay in view, and gives the whole text as
// its tooltip and as the name assistive technology reads.
#pragma once

#include <QLabel>
#include <QString>

namespace quarrow {

class StatusPane : public QLabel {
  Q_OBJECT

 public:
  explicit StatusPane(const QString& text, QWidget* parent = nullptr);
  void SetText(const QString& text);
  const QString& Text() const { return m_text; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowFitted();

  QString m_text;
};

}  // namespace quarrow
