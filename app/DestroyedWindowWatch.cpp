// SPDX-License-Identifier: GPL-3.0-or-later
// A destroyed main window ends the program as its close box does.
#include "DestroyedWindowWatch.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstring>

namespace quarrow {

namespace {

// The X11 protocol's DestroyNotify event as xcb hands it over (xcb_destroy_notify_event_t), spelled
// out here so that the window builds where the xcb headers are not installed.
constexpr std::uint8_t kDestroyNotify = 17;
struct DestroyNotifyEvent {
  std::uint8_t responseType;  // the high bit marks an event sent by another client
  std::uint8_t pad;
  std::uint16_t sequence;
  std::uint32_t event;
  std::uint32_t window;
};

}  // namespace

DestroyedWindowWatch::DestroyedWindowWatch(QDialog& window) : window_(&window) {
  QCoreApplication::instance()->installNativeEventFilter(this);
}

DestroyedWindowWatch::~DestroyedWindowWatch() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool DestroyedWindowWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || message == nullptr || !window_) return false;
  DestroyNotifyEvent event;
  std::memcpy(&event, message, sizeof event);
  if ((event.responseType & 0x7F) != kDestroyNotify) return false;
  // internalWinId: asking winId() would create a native window, not name the one that was there.
  const WId own = window_->internalWinId();
  if (own == 0 || event.window != own) return false;
  // As the close box: a read under way stops at its next bit first. Queued, so the dialog is not
  // ended from inside the platform's event dispatch.
  QMetaObject::invokeMethod(window_.data(), &QDialog::reject, Qt::QueuedConnection);
  return false;
}

}  // namespace quarrow
