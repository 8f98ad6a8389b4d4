// SPDX-License-Identifier: GPL-3.0-or-later
// The read-out's receiver for the command line: a progress bar on standard error.
#pragma once

#include <ostream>
#include <string>

#include "ReadOut.h"

namespace quarrow::cli {

class ProgressBar : public IReadReceiver {
 public:
  // Draws only when `draw` is set (standard error is a terminal): a bar redrawn in place would
  // only fill a log file with carriage returns.
  // One bar spans all `reads` reads of a chip, so repeated reads do not restart it.
  ProgressBar(std::ostream& err, bool draw, std::string label, int reads = 1);
  void OnReadProgress(const ReadProgress& progress) override;
  void OnReadCompletion(const ReadCompletion& completion) override;
  // The next read, counted from 0, under its own label.
  void BeginRead(int index, std::string label);

 private:
  void Draw(int bits);
  void Erase();

  std::ostream& err_;
  bool draw_;
  std::string label_;
  int reads_;
  int readIndex_ = 0;
  std::size_t drawnWidth_ = 0;
};

}  // namespace quarrow::cli
