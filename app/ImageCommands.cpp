// SPDX-License-Identifier: GPL-3.0-or-later
// The file choosers, the image files and the comparison behind Save, Open and Compare.
#include "ImageCommands.h"

#include <QFileInfo>
#include <QStringList>

#include "DialogServices.h"
#include "Feedback.h"
#include "FileNames.h"
#include "Resources.h"
#include "Texts.h"

namespace quarrow {

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

QStringList FileFilters() { return {Text(res::kFilterMame), Text(res::kFilterAll)}; }

}  // namespace

ImageCommands::ImageCommands(IDialogServices& services, Feedback& feedback)
    : m_services(services), m_feedback(feedback) {}

void ImageCommands::Save(const PromImage& image, ImageFileLayout layout) {
  const std::optional<QString> chosen =
      m_services.GetSaveFileName(m_feedback.Owner(), FileFilters(), Text(res::kDefaultSaveSuffix));
  if (!chosen) return;
  const QString path = ShownPath(QFileInfo(*chosen).absoluteFilePath());
  const FileStatus status = SaveImageFile(SystemPath(path), image, layout);
  if (!status) {
    m_feedback.ShowError(WithReason(Text(res::kCantSaveFile) + path, status.reason));
    return;
  }
  m_feedback.SetStatus(Text(res::kSavedTo) + path);
}

std::optional<OpenedImageFile> ImageCommands::Open(std::optional<ImageFileLayout> given) {
  const std::optional<QString> chosen = m_services.GetOpenFileName(m_feedback.Owner(), FileFilters());
  if (!chosen) return std::nullopt;
  const QString path = ShownPath(QFileInfo(*chosen).absoluteFilePath());
  OpenedImageFile opened;
  const FileStatus status = ReadImageFileBytes(SystemPath(path), opened.bytes);
  if (!status) {
    m_feedback.ShowError(WithReason(Text(res::kCantOpenFile) + path, status.reason));
    return std::nullopt;
  }
  opened.layout = given.value_or(LayoutForFileName(SystemPath(path)));
  opened.image = DecodeImageFile(opened.bytes, opened.layout);
  m_feedback.SetStatus(Text(res::kOpenedFile) + path);
  return opened;
}

void ImageCommands::Compare(const PromImage& chip, const PromImage& buffer) {
  const bool match = CompareImages(chip, buffer).match;
  const QString text = Text(match ? res::kChipAndFileMatch : res::kChipAndFileDiffer);
  m_feedback.ShowMessage(text, Text(match ? res::kCaptionOk : res::kCaptionError));
  m_feedback.SetStatus(text);
}

}  // namespace quarrow
