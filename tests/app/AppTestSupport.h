// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the window tests: scripted answers for the dialog seam, pumping the event loop
// until a condition holds, and working the wiring dialog.
#pragma once

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QTextDocument>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <ostream>
#include <vector>

#include "DialogServices.h"
#include "QuarrowDlg.h"
#include "Resources.h"
#include "Texts.h"
#include "WiringDialog.h"

// Failure messages show texts as text rather than as arrays of UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace quarrow::testing {

struct ShownBox {
  QString text;
  QString caption;
};

class FakeDialogServices : public IDialogServices {
 public:
  void MessageBox(QWidget* owner, const QString& text, const QString& caption) override {
    boxes.push_back({text, caption});
    owners.push_back(owner);
  }
  std::optional<QString> GetSaveFileName(QWidget* owner, const QStringList& filters,
                                         const QString& defaultSuffix) override {
    owners.push_back(owner);
    lastFilters = filters;
    lastSuffix = defaultSuffix;
    return Next(saveAnswers);
  }
  std::optional<QString> GetOpenFileName(QWidget* owner, const QStringList& filters) override {
    owners.push_back(owner);
    lastFilters = filters;
    lastSuffix.clear();
    return Next(openAnswers);
  }
  void OpenUrl(const QUrl& url) override {
    urls.push_back(url);
    if (throughDesktop) QDesktopServices::openUrl(url);
  }

  std::vector<ShownBox> boxes;
  std::vector<QWidget*> owners;
  std::deque<std::optional<QString>> saveAnswers;
  std::deque<std::optional<QString>> openAnswers;
  QStringList lastFilters;
  QString lastSuffix;
  std::vector<QUrl> urls;
  bool throughDesktop = false;  // also hand addresses to QDesktopServices, as the program does

 private:
  static std::optional<QString> Next(std::deque<std::optional<QString>>& answers) {
    if (answers.empty() || !answers.front()) {
      if (!answers.empty()) answers.pop_front();
      return std::nullopt;
    }
    // Built from the QString rather than by copying the optional, which GCC 12 at -O2 wrongly
    // reports as maybe-uninitialized.
    const QString chosen = *answers.front();
    answers.pop_front();
    return chosen;
  }
};

// The text a tooltip shows: Qt renders it as rich text whenever it looks like markup.
inline QString ShownToolTip(const QString& tip) {
  if (!Qt::mightBeRichText(tip)) return tip;
  QTextDocument document;
  document.setHtml(tip);
  return document.toPlainText();
}

// Processes the window's events, or runs `pump` instead, until `done` holds or `timeoutMs` pass.
inline bool PumpUntil(const std::function<bool()>& done, const std::function<void()>& pump = {},
                      qint64 timeoutMs = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    if (pump) {
      pump();
    } else {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QThread::usleep(200);
  }
  return true;
}

// The control named `name` inside `parent`.
template <class T>
T* In(QWidget& parent, const char* name) {
  T* widget = parent.findChild<T*>(QString::fromUtf8(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// Opens the wiring dialog from the window's File menu and lets `act` work in it while it is shown.
inline void InWiringDialog(CQuarrowDlg& window, const std::function<void(CWiringDialog&)>& act) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<CWiringDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    ran = true;
    act(*dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  window.MenuItem(res::ID_FILE_WIRING)->trigger();
  EXPECT_TRUE(ran);
}

// Chooses the PROM's pins in the wiring dialog, each as its list names it.
inline void ChoosePins(CWiringDialog& d, int clock, int reset, int data, bool invert) {
  for (const auto& [name, pin] : {std::pair{res::kWiringClockName, clock}, std::pair{res::kWiringResetName, reset},
                                  std::pair{res::kWiringDataName, data}}) {
    QComboBox* list = In<QComboBox>(d, name);
    list->setCurrentIndex(list->findData(pin));
  }
  In<QCheckBox>(d, res::kWiringInvertName)->setChecked(invert);
}

// A wait function that holds the worker at its `stopAt`-th wait until released; all other waits
// return at once.
class GatedWait {
 public:
  explicit GatedWait(int stopAt) : stopAt_(stopAt) {}
  void operator()(int) {
    std::unique_lock lock(mutex_);
    if (++count_ == stopAt_) {
      held_ = true;
      changed_.notify_all();
      changed_.wait(lock, [&] { return released_; });
    }
  }
  bool Held() {
    std::lock_guard lock(mutex_);
    return held_;
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int stopAt_;
  int count_ = 0;
  bool held_ = false;
  bool released_ = false;
};

}  // namespace quarrow::testing
