// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop side of the window's message boxes, file choosers and links.
#include "DialogServices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace quarrow {

void QtDialogServices::MessageBox(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  // The texts quote paths, table fields and library messages, never markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

namespace {

std::optional<QString> RunFileDialog(QFileDialog& dialog, const QStringList& filters) {
  dialog.setNameFilters(filters);
  // Owned by the main dialog and modal, so no command of the main window (a read above all) can
  // start while a chooser is open, and two choosers can never be open at once.
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
  return files.front();
}

}  // namespace

std::optional<QString> QtDialogServices::GetSaveFileName(QWidget* owner, const QStringList& filters,
                                                         const QString& defaultSuffix) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  // A new name is allowed; replacing an existing file asks first (the chooser's own confirmation).
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultSuffix);
  return RunFileDialog(dialog, filters);
}

std::optional<QString> QtDialogServices::GetOpenFileName(QWidget* owner, const QStringList& filters) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return RunFileDialog(dialog, filters);
}

void QtDialogServices::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

}  // namespace quarrow
