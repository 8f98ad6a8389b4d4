// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the window tests: scripted answers for the dialog seam, and pumping the event
// loop until a condition holds.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextDocument>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <vector>

#include "DialogServices.h"

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
  void OpenUrl(const QUrl& url) override { urls.push_back(url); }

  std::vector<ShownBox> boxes;
  std::vector<QWidget*> owners;
  std::deque<std::optional<QString>> saveAnswers;
  std::deque<std::optional<QString>> openAnswers;
  QStringList lastFilters;
  QString lastSuffix;
  std::vector<QUrl> urls;

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

// Processes the window's events, or runs `pump` instead, until `done` holds or five seconds pass.
inline bool PumpUntil(const std::function<bool()>& done, const std::function<void()>& pump = {}) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 5000) return false;
    if (pump) {
      pump();
    } else {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QThread::usleep(200);
  }
  return true;
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
