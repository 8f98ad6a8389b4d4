// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line progress bar on standard error, redrawn in place for each bit read.
#include "ProgressBar.h"

#include <utility>

namespace quarrow::cli {

namespace {
constexpr int kBarWidth = 32;
}

ProgressBar::ProgressBar(std::ostream& err, bool draw, std::string label, int reads)
    : err_(err), draw_(draw), label_(std::move(label)), reads_(reads < 1 ? 1 : reads) {}

void ProgressBar::BeginRead(int index, std::string label) {
  readIndex_ = index;
  label_ = std::move(label);
}

std::intptr_t ProgressBar::Notify(unsigned message, std::uintptr_t wParam, std::intptr_t) {
  if (!draw_) return 0;
  if (message == WM_READ_PROGRESS) {
    Draw(static_cast<int>(wParam));
  } else if (message == WM_READ_DONE &&
             (readIndex_ + 1 >= reads_ || wParam != static_cast<std::uintptr_t>(ReadOutcome::Complete))) {
    Erase();
  }
  return 0;
}

void ProgressBar::Draw(int bits) {
  if (bits < 0) bits = 0;
  if (bits > PromImage::kBits) bits = PromImage::kBits;
  const int total = reads_ * PromImage::kBits;
  const int done = readIndex_ * PromImage::kBits + bits;
  const int filled = done * kBarWidth / total;
  std::string line = label_ + " [" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') +
                     "] " + std::to_string(done) + "/" + std::to_string(total);
  drawnWidth_ = line.size();
  err_ << '\r' << line << std::flush;
}

void ProgressBar::Erase() {
  if (drawnWidth_ == 0) return;
  err_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
  drawnWidth_ = 0;
}

}  // namespace quarrow::cli
