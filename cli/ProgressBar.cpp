// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line progress bar on standard error, redrawn in place for each bit read.
#include "ProgressBar.h"

#include <utility>

namespace quarrow::cli {

namespace {
constexpr int kBarWidth = 32;
}

ProgressBar::ProgressBar(std::ostream& err, bool draw, std::string label)
    : err_(err), draw_(draw), label_(std::move(label)) {}

std::intptr_t ProgressBar::Notify(unsigned message, std::uintptr_t wParam, std::intptr_t) {
  if (!draw_) return 0;
  if (message == WM_READ_PROGRESS) {
    Draw(static_cast<int>(wParam));
  } else if (message == WM_READ_DONE) {
    Erase();
  }
  return 0;
}

void ProgressBar::Draw(int bits) {
  if (bits < 0) bits = 0;
  if (bits > PromImage::kBits) bits = PromImage::kBits;
  const int filled = bits * kBarWidth / PromImage::kBits;
  std::string line = label_ + " [" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') +
                     "] " + std::to_string(bits) + "/" + std::to_string(PromImage::kBits);
  drawnWidth_ = line.size();
  err_ << '\r' << line << std::flush;
}

void ProgressBar::Erase() {
  if (drawnWidth_ == 0) return;
  err_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
  drawnWidth_ = 0;
}

}  // namespace quarrow::cli
