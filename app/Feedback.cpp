// SPDX-License-Identifier: GPL-3.0-or-later
// The status line's text and the error boxes.
#include "Feedback.h"

#include "DialogServices.h"
#include "StatusPane.h"
#include "Texts.h"

namespace quarrow {

Feedback::Feedback(QWidget* owner, IDialogServices& services, StatusPane* pane)
    : m_owner(owner), m_services(services), m_pane(pane) {}

void Feedback::SetStatus(const QString& text) {
  m_pane->SetText(text);
  m_pane->repaint();
}

void Feedback::ShowError(const QString& text) {
  ShowMessage(text, QString::fromUtf8(res::kCaptionError));
  SetStatus(text);
}

void Feedback::ShowMessage(const QString& text, const QString& caption) {
  m_services.MessageBox(m_owner, text, caption);
}

QString Feedback::Status() const { return m_pane->Text(); }

QString WithReason(const QString& text, const std::string& reason) {
  return reason.empty() ? text : text + QStringLiteral(": ") + QString::fromUtf8(reason);
}

}  // namespace quarrow
