// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its controls and menus, their enabling and the keyboard rules. The device list and
// Connect, the wiring, the read and the image files are run by pieces of their own (ProgrammerChooser,
// WiringCommands, ReadCommand, ImageCommands).
#pragma once

#include <QDialog>
#include <QPointer>

#include <filesystem>
#include <memory>
#include <optional>

#include "AppLinks.h"
#include "Connection.h"
#include "ImageFile.h"
#include "KnownDumps.h"
#include "PromImage.h"
#include "WiringSettings.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace quarrow {

class Feedback;
class IDialogServices;
class IdentificationPane;
class ImageCommands;
class MainMenu;
class ProgrammerChooser;
class ReadCommand;
class WiringCommands;

// What the window works on. The program passes its own; tests pass theirs.
struct QuarrowDlgContext {
  Connection& connection;  // the window connects it and closes it when it goes
  PromImage& chipImage;
  PromImage& bufferImage;
  IDialogServices& services;
  WaitFunction wait = SleepMilliseconds;
  AppLinks links = BuildTimeLinks();
  const KnownDumpTable* knownDumps = nullptr;  // null: the table built into the program
  // The wiring file; empty: the person's own. Where an earlier version kept the wirings (an INI
  // file); empty: the person's Qt settings.
  std::filesystem::path wiringFile = {};
  QString legacyWiringSettings = {};
};

class CQuarrowDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CQuarrowDlg(QuarrowDlgContext context, QWidget* pParent = nullptr);
  ~CQuarrowDlg() override;

  void EnableControls(bool bEnable);

  // Handlers, public so that the menu, the buttons and tests reach the same code.
  void OnBnClickedConnect();
  void OnBnClickedReadChip();
  void OnBnClickedSaveData() { SaveCommand(ImageFileLayout::Mame); }
  void OnBnClickedOpenFile() { OpenCommand(std::nullopt); }
  void OnBnClickedCompare();
  void OnFileOpenNss() { OpenCommand(ImageFileLayout::Nss); }
  void OnFileSaveAsNss() { SaveCommand(ImageFileLayout::Nss); }
  void OnFileExit() { close(); }
  // The "Programmer wiring" dialog for the programmer chosen in the device list.
  void OnFileWiring();
  void OnHelpAbout();
  // The identification pane's full sentences in a box, for those who cannot hover over its tooltip.
  void OnHelpDetails();
  void OnStnClickedDonate();

  QString StatusText() const;
  QAction* MenuItem(int commandId) const;
  bool Reading() const;

  // Closing while a read runs asks the read to stop and closes once its completion is in.
  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Busy() const;
  // EnableControls, and Connect with the device list and the wiring too.
  void EnableAll(bool enable);
  void SaveCommand(ImageFileLayout layout);
  // The file opened into the buffer (ImageCommands::Open).
  void OpenCommand(std::optional<ImageFileLayout> layout);
  void OnReadCompletion(const ReadCompletion& completion);
  // The menu bar and the controls from their templates; returns the client area below the menu.
  QWidget* BuildView();
  // The status line with its two panes, along the bottom of `client`, and what tells the person.
  void BuildStatusBar(QWidget* client);
  // The pieces that carry out the commands, once the controls they use are there.
  void BuildCommands();
  // The buttons, the menu, the donation image, the device list and the read to their handlers.
  void ConnectHandlers();
  // What cannot be used said at start: the table of known dumps, the wiring.
  void SayStartProblems();

  QuarrowDlgContext m_ctx;
  QPushButton* m_btnConnect = nullptr;
  QComboBox* m_cbDevices = nullptr;
  QLineEdit* m_editChip = nullptr;
  QLineEdit* m_editBuffer = nullptr;
  QPushButton* m_btnReadChip = nullptr;
  QPushButton* m_btnSaveData = nullptr;
  QPushButton* m_btnCompare = nullptr;
  QPushButton* m_btnOpenFile = nullptr;
  QProgressBar* m_progress = nullptr;
  QLabel* m_donate = nullptr;
  std::unique_ptr<IdentificationPane> m_identifyPane;
  std::unique_ptr<MainMenu> m_menu;

  WiringSettings m_wiring;
  std::unique_ptr<Feedback> m_feedback;
  std::unique_ptr<ProgrammerChooser> m_chooser;
  std::unique_ptr<WiringCommands> m_wiringCommands;
  std::unique_ptr<ReadCommand> m_read;
  std::unique_ptr<ImageCommands> m_images;
  // Where the keyboard focus was when a read started, and where disabling the actions moved it.
  QPointer<QWidget> m_focusBeforeRead;
  QPointer<QWidget> m_focusDuringRead;
};

}  // namespace quarrow
