// SPDX-License-Identifier: GPL-3.0-or-later
// Save, Open and Compare: the chip's image written to the file the person chooses, a chosen file
// read and decoded, the two images compared, each said on the status line or, failed, in a box.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "ImageFile.h"
#include "PromImage.h"

namespace quarrow {

class Feedback;
class IDialogServices;

// A file opened: its image, its bytes as read (they identify it first) and the layout it was read in.
struct OpenedImageFile {
  PromImage image;
  std::vector<std::uint8_t> bytes;
  ImageFileLayout layout = ImageFileLayout::Mame;
};

class ImageCommands {
 public:
  ImageCommands(IDialogServices& services, Feedback& feedback);

  void Save(const PromImage& image, ImageFileLayout layout);
  // Without a layout, the file's name says it (*.nss: raw, else MAME). Nothing when the person
  // cancels or the file cannot be read (said).
  std::optional<OpenedImageFile> Open(std::optional<ImageFileLayout> layout);
  void Compare(const PromImage& chip, const PromImage& buffer);

 private:
  IDialogServices& m_services;
  Feedback& m_feedback;
};

}  // namespace quarrow
