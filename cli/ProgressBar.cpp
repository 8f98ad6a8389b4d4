// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line progress bar on standard error, redrawn in place for each bit read.
#include "ProgressBar.h"

#include <algorithm>
#include <utility>

#include "PlatformConsole.h"

namespace quarrow::cli {

namespace {
constexpr int kBarWidth = 32;
constexpr int kNarrowestBar = 8;
}

ProgressBar::ProgressBar(std::ostream& err, bool draw, std::string label, int reads)
    : err_(err), draw_(draw), label_(std::move(label)), reads_(reads < 1 ? 1 : reads) {}

void ProgressBar::BeginRead(int index, std::string label) {
  readIndex_ = index;
  label_ = std::move(label);
}

void ProgressBar::OnReadProgress(const ReadProgress& progress) {
  if (draw_) Draw(progress.bitsRead);
}

void ProgressBar::OnReadCompletion(const ReadCompletion& completion) {
  if (draw_ && (readIndex_ + 1 >= reads_ || completion.outcome != ReadOutcome::Complete)) Erase();
}

void ProgressBar::Draw(int bits) {
  if (bits < 0) bits = 0;
  if (bits > PromImage::kBits) bits = PromImage::kBits;
  const int total = reads_ * PromImage::kBits;
  const int done = readIndex_ * PromImage::kBits + bits;
  const std::string count = std::to_string(done) + "/" + std::to_string(total);
  // A line as wide as the window wraps, and each redraw would then scroll a line: the bar narrows,
  // then the label is cut, so that the line stays one character short of the window's width.
  const int columns = StandardErrorColumns();
  std::string label = label_;
  int barWidth = kBarWidth;
  if (columns > 0) {
    const int room = columns - 1 - 4 - static_cast<int>(count.size());  // " [" and "] " besides
    barWidth = std::clamp(room - static_cast<int>(label.size()), kNarrowestBar, kBarWidth);
    const int labelRoom = std::clamp(room - barWidth, 0, static_cast<int>(label.size()));
    label.resize(static_cast<std::size_t>(labelRoom));
  }
  const int filled = done * barWidth / total;
  std::string line = label + " [" + std::string(filled, '#') + std::string(barWidth - filled, ' ') +
                     "] " + count;
  // Spaces over what a longer line before left, as far as the window reaches.
  std::size_t cover = drawnWidth_;
  if (columns > 0) cover = std::min(cover, static_cast<std::size_t>(columns - 1));
  if (line.size() < cover) line.resize(cover, ' ');
  drawnWidth_ = std::max(drawnWidth_, line.size());
  err_ << '\r' << line << std::flush;
}

void ProgressBar::Erase() {
  if (drawnWidth_ == 0) return;
  err_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
  drawnWidth_ = 0;
}

}  // namespace quarrow::cli
