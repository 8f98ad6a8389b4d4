// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: device list and Connect, Read chip with its progress bar, the chip and buffer
// boxes, Save, Open and Compare, the File and Help menus and the one-pane status line.
#pragma once

#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QUrl>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "Connection.h"
#include "ImageFile.h"
#include "KnownDumps.h"
#include "PromImage.h"
#include "ReadHandOff.h"
#include "ReadOut.h"
#include "ReadWorker.h"
#include "WiringSettings.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace quarrow {

class IDialogServices;
class IdentificationPane;
class StatusPane;

// The addresses the About box and the donation image open.
struct AppLinks {
  QString supportEmail;
  QUrl webSite;
  QUrl donatePage;
};
AppLinks BuildTimeLinks();

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

QIcon ApplicationIcon();

class CQuarrowDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CQuarrowDlg(QuarrowDlgContext context, QWidget* pParent = nullptr);
  ~CQuarrowDlg() override;

  void EnableControls(bool bEnable);
  void FillDeviceList();

  // Handlers, public so that the menu, the buttons and tests reach the same code.
  void OnBnClickedConnect();
  void OnBnClickedReadChip();
  void OnBnClickedSaveData();
  void OnBnClickedOpenFile();
  void OnBnClickedCompare();
  void OnFileOpen() { OnBnClickedOpenFile(); }
  void OnFileSaveAs() { OnBnClickedSaveData(); }
  void OnFileOpenNss();
  void OnFileSaveAsNss();
  void OnFileExit();
  // The "Programmer wiring" dialog for the programmer chosen in the device list.
  void OnFileWiring();
  void OnHelpAbout();
  // The identification pane's full sentences in a box, for those who cannot hover over its tooltip.
  void OnHelpDetails();
  void OnStnClickedDonate();
  void OnReadProgress(const ReadProgress& progress);
  void OnReadCompletion(const ReadCompletion& completion);
  // Lists the programmers again as the device list drops down, keeping the chosen one if it is still
  // attached, so a programmer plugged in after start-up can be chosen.
  void OnDropDownDevices();

  QString StatusText() const;
  QAction* MenuItem(int commandId) const;
  bool Reading() const { return m_reading; }

  // Closing while a read runs asks the read to stop and closes once its completion is in.
  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetStatus(const QString& text);
  void ShowError(const QString& text);
  void SetConnectEnabled(bool enable);
  // A read runs, or a close waits for one to stop: nothing may start or be enabled again.
  bool Busy() const { return m_reading || m_closePending; }
  void AddDeviceEntries();
  void ShowStartOfDeviceText();
  void SaveCommand(ImageFileLayout layout);
  // Without a layout, the file's name says it (*.nss: raw, else MAME).
  void OpenCommand(std::optional<ImageFileLayout> layout);
  void FinishClose();
  // The identification pane shows `image` (none: empties it); a file is identified by its bytes
  // first, opened in `fileLayout`. Help > Details follows the pane.
  void ShowIdentification(const PromImage* image, const std::vector<std::uint8_t>* fileBytes = nullptr,
                          ImageFileLayout fileLayout = ImageFileLayout::Mame);
  void BuildMenu(QMenuBar* menuBar);
  // The buttons, the donation image, the device list and the read's events to their handlers.
  void ConnectHandlers();
  // The status line with its two panes, along the bottom of `client`.
  void BuildStatusBar(QWidget* client);
  // The device list's chosen entry, or typed text as a serial number; nothing when it is empty.
  std::optional<DeviceEntry> ChosenEntry() const;
  // Opens `entry` with the wiring it gets; false, said, when it cannot be opened.
  bool ConnectTo(const DeviceEntry& entry);
  // After the wiring dialog: the connected programmer set up again when its wiring has changed.
  void ApplyChangedWiring();

  QuarrowDlgContext m_ctx;
  QIcon m_hIcon;
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
  QStatusBar* m_statusBar = nullptr;
  StatusPane* m_statusPane = nullptr;
  std::unique_ptr<IdentificationPane> m_identifyPane;
  QFont m_fontFixed;
  std::map<int, QAction*> m_menuItems;

  std::vector<DeviceEntry> m_devices;  // the list's entries, in list order
  WiringSettings m_wiring;
  // Where the keyboard focus was when a read started, and where disabling the actions moved it.
  QPointer<QWidget> m_focusBeforeRead;
  QPointer<QWidget> m_focusDuringRead;
  ReadHandOff m_handOff;
  ReadPromWorker m_worker;
  bool m_reading = false;
  bool m_closePending = false;
  int m_closeResult = 0;
};

}  // namespace quarrow
