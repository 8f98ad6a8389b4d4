// SPDX-License-Identifier: GPL-3.0-or-later
// Ends the main window when another X client destroys it. The X server reports that to the program
// (DestroyNotify), but Qt's xcb platform does not act on it for a top-level window, and the program
// would run on with no window to close it by.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QDialog>
#include <QPointer>

namespace quarrow {

class DestroyedWindowWatch : public QAbstractNativeEventFilter {
 public:
  // Installs itself on the running application for as long as it lives.
  explicit DestroyedWindowWatch(QDialog& window);
  ~DestroyedWindowWatch() override;
  DestroyedWindowWatch(const DestroyedWindowWatch&) = delete;
  DestroyedWindowWatch& operator=(const DestroyedWindowWatch&) = delete;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  QPointer<QDialog> window_;
};

}  // namespace quarrow
