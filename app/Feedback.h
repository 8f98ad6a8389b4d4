// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells the person: a text on the status line, or an error in a box that the status
// line then repeats. The pieces that carry out the window's commands tell the person through it.
#pragma once

#include <QString>

#include <string>

class QWidget;

namespace quarrow {

class IDialogServices;
class StatusPane;

class Feedback {
 public:
  // `owner` owns the boxes; `pane` is the status line's text pane.
  Feedback(QWidget* owner, IDialogServices& services, StatusPane* pane);

  void SetStatus(const QString& text);
  // A box captioned "Error", the text then on the status line.
  void ShowError(const QString& text);
  // A box only; the status line keeps its text.
  void ShowMessage(const QString& text, const QString& caption);
  QString Status() const;

  QWidget* Owner() const { return m_owner; }

 private:
  QWidget* m_owner;
  IDialogServices& m_services;
  StatusPane* m_pane;
};

// The libraries' reasons are UTF-8 on every system, the system's own words included.
QString WithReason(const QString& text, const std::string& reason);

}  // namespace quarrow
