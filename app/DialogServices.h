// SPDX-License-Identifier: GPL-3.0-or-later
// The window's contacts with the desktop: message boxes, file choosers and opening addresses. The
// dialogs call them through this interface so that tests can answer in place of a person.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class QWidget;

namespace quarrow {

class IDialogServices {
 public:
  virtual ~IDialogServices() = default;
  // A modal box owned by `owner` with one OK button and no icon.
  virtual void MessageBox(QWidget* owner, const QString& text, const QString& caption) = 0;
  // Modal file choosers owned by `owner`. An empty result means the person cancelled.
  virtual std::optional<QString> GetSaveFileName(QWidget* owner, const QStringList& filters,
                                                 const QString& defaultSuffix) = 0;
  virtual std::optional<QString> GetOpenFileName(QWidget* owner, const QStringList& filters) = 0;
  // Hands an address to the desktop's handler (browser, mail program). Failure is not reported.
  virtual void OpenUrl(const QUrl& url) = 0;
};

// The real thing: QMessageBox, QFileDialog and QDesktopServices.
class QtDialogServices : public IDialogServices {
 public:
  void MessageBox(QWidget* owner, const QString& text, const QString& caption) override;
  std::optional<QString> GetSaveFileName(QWidget* owner, const QStringList& filters,
                                         const QString& defaultSuffix) override;
  std::optional<QString> GetOpenFileName(QWidget* owner, const QStringList& filters) override;
  void OpenUrl(const QUrl& url) override;
};

}  // namespace quarrow
