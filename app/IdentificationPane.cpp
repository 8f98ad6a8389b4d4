// SPDX-License-Identifier: GPL-3.0-or-later
// What the window shows of an identification: the short text in the pane, the sentences behind it.
#include "IdentificationPane.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

#include "Diagnosis.h"
#include "IdentificationText.h"
#include "Identify.h"
#include "KnownDumpsText.h"
#include "PlainText.h"
#include "Resources.h"
#include "Texts.h"

namespace quarrow {

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

IdentificationPane::IdentificationPane(QStatusBar* statusBar, QAction* detailsItem)
    : m_label(new QLabel(statusBar)), m_detailsItem(detailsItem) {
  m_label->setObjectName(Text(res::kIdentifyPaneName));
  // Set names and diagnoses come from a table; none of them is markup.
  m_label->setTextFormat(Qt::PlainText);
  statusBar->addPermanentWidget(m_label);
}

bool IdentificationPane::UseKnownDumps(const KnownDumpTable* given, std::string& error) {
  if (given) {
    m_knownDumps = *given;
    return true;
  }
  TableProblem problem;
  std::optional<KnownDumpTable> builtIn = BuiltInKnownDumps(problem);
  if (!builtIn) {
    error = TableProblemText(problem);
    return false;
  }
  m_knownDumps = std::move(*builtIn);
  return true;
}

void IdentificationPane::Clear() {
  m_label->clear();
  m_label->setToolTip({});
  m_label->setAccessibleName({});
  m_label->setAccessibleDescription({});
  m_details.clear();
  m_detailsItem->setEnabled(false);
}

void IdentificationPane::ShowChip(const PromImage& image) {
  Show(image, Subject::Chip, nullptr, ImageFileLayout::Mame);
}

void IdentificationPane::ShowFile(const PromImage& image, const std::vector<std::uint8_t>& bytes,
                                  ImageFileLayout layout) {
  Show(image, Subject::File, &bytes, layout);
}

void IdentificationPane::Show(const PromImage& image, Subject subject, const std::vector<std::uint8_t>* fileBytes,
                              ImageFileLayout fileLayout) {
  Clear();
  const QString name = Text(subject == Subject::Chip ? res::kSubjectChip : res::kSubjectFile);
  QString shortText;
  QString sentences;
  std::string error;
  const std::optional<Identification> identification =
      fileBytes != nullptr ? IdentifyFile(*fileBytes, fileLayout, m_knownDumps, error)
                           : IdentifyImage(image, m_knownDumps, error);
  if (identification) {
    // The set name says it all for a known dump; otherwise what looks broken matters more than
    // "unknown dump".
    const std::vector<Diagnosis> diagnoses = DiagnoseRead(image);
    const bool known = identification->result == IdentificationResult::KnownDump;
    shortText = name + QString::fromStdString(known || diagnoses.empty() ? IdentificationShort(*identification)
                                                                         : DiagnosisShort(diagnoses.front()));
    sentences = QString::fromStdString(IdentificationSentence(*identification, diagnoses));
    for (Diagnosis diagnosis : diagnoses) {
      sentences += QLatin1Char('\n') + QString::fromStdString(DiagnosisSentence(diagnosis));
    }
  } else {
    sentences = QString::fromStdString(error);
  }
  m_label->setText(shortText);
  m_label->setToolTip(PlainToolTip(sentences));
  m_label->setAccessibleName(shortText);
  m_label->setAccessibleDescription(sentences);
  m_details = Text(subject == Subject::Chip ? res::kDetailsChip : res::kDetailsFile) + QLatin1Char('\n') + sentences;
  m_detailsItem->setEnabled(true);
}

}  // namespace quarrow
