// SPDX-License-Identifier: GPL-3.0-or-later
// The status line's second pane: which image, then its set name, "unknown dump" or a diagnosis in
// short, with the full sentences as its tooltip, as the description assistive technology reads, and
// as the text Help > Details shows; empty while no image is worth naming.
#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "ImageFile.h"
#include "KnownDumps.h"
#include "PromImage.h"

class QAction;
class QLabel;
class QStatusBar;

namespace quarrow {

// Not a widget of its own: the pane is a plain label at the status line's right end, as the
// window's description has always named it.
class IdentificationPane {
 public:
  // Adds the pane to `statusBar`, which owns its label. `detailsItem`, Help > Details, is enabled
  // while the pane has sentences to show.
  IdentificationPane(QStatusBar* statusBar, QAction* detailsItem);

  // `given`, or the table built into the program when it is null; false, with the reason, when the
  // built-in table cannot be read (the pane then knows no dumps).
  bool UseKnownDumps(const KnownDumpTable* given, std::string& error);

  // Empties the pane: nothing worth naming.
  void Clear();
  // A read of the chip, identified by its bits.
  void ShowChip(const PromImage& image);
  // An opened file, identified by its bytes first, in the layout it was opened in.
  void ShowFile(const PromImage& image, const std::vector<std::uint8_t>& bytes, ImageFileLayout layout);

  // What Help > Details shows; empty while the pane is.
  const QString& Details() const { return m_details; }

 private:
  // Which image the pane speaks of.
  enum class Subject { Chip, File };
  void Show(const PromImage& image, Subject subject, const std::vector<std::uint8_t>* fileBytes,
            ImageFileLayout fileLayout);

  QLabel* m_label;
  QAction* m_detailsItem;
  KnownDumpTable m_knownDumps;
  QString m_details;
};

}  // namespace quarrow
