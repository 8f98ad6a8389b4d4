// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's start-up, enabling rules, commands and the handling of the read-out's
// events.
#include "QuarrowDlg.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "AboutDialog.h"
#include "ConnectionText.h"
#include "ProgrammerErrorText.h"
#include "DialogServices.h"
#include "DialogTemplate.h"
#include "FileNames.h"
#include "IdentificationPane.h"
#include "PlainText.h"
#include "PrintableText.h"
#include "Resources.h"
#include "StatusPane.h"
#include "Texts.h"
#include "WiringDialog.h"
#include "WiringFile.h"
#include "WiringText.h"

// Outside any namespace, as Qt's resource initialiser must be.
static void InitQuarrowResources() { Q_INIT_RESOURCE(quarrow); }

namespace quarrow {

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

QStringList FileFilters() { return {Text(res::kFilterMame), Text(res::kFilterAll)}; }

// The libraries' reasons are UTF-8 on every system, the system's own words included.
QString WithReason(const QString& text, const std::string& reason) {
  return reason.empty() ? text : text + QStringLiteral(": ") + QString::fromUtf8(reason);
}

// A programmer's entry in the list: its serial spelled as everywhere else (WiringFile.h), so two
// serials that differ only in bytes that are not UTF-8 look different, and as the wiring dialog
// and the wiring file spell them.
QString EntryText(const DeviceEntry& entry) { return QString::fromUtf8(PrintableText(entry.text)); }

// "Pin assignment in use: clock=D2,reset=D3,data=D6, data inverted"
QString WiringInUse(const PinAssignment& pins) {
  return Text(res::kWiringInUse) + QString::fromStdString(pins.Text()) +
         (pins.invertData ? Text(res::kDataInverted) : QString());
}

// "Lucida Console" where installed, else the system's fixed font, in proportion to the window's
// font (which follows the desktop's text size).
QFont FixedFont(const QFont& windowFont) {
  QFont font = QFontDatabase::families().contains(QStringLiteral("Lucida Console"))
                   ? QFont(QStringLiteral("Lucida Console"))
                   : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  // Under Wine without Windows' fonts the system's fixed font, "Courier New", is missing, and what
  // stands in for it need not be monospaced: then the first monospaced family installed.
  if (!QFontInfo(font).fixedPitch()) {
    const QStringList families = QFontDatabase::families();
    const auto fixed = std::find_if(families.begin(), families.end(),
                                    [](const QString& family) { return QFontDatabase::isFixedPitch(family); });
    if (fixed != families.end()) font = QFont(*fixed);
  }
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  // The size asked for, where it was asked in points: what the font engine makes of it is rounded
  // to whole pixels, differently on each platform.
  const double points = windowFont.pointSizeF() > 0 ? windowFont.pointSizeF() : QFontInfo(windowFont).pointSizeF();
  const double scale = points / res::kDataFontReferencePoints;
  font.setPixelSize(std::max(1, qRound(res::kDataFontPixels * scale)));
  return font;
}

}  // namespace

QIcon ApplicationIcon() {
  InitQuarrowResources();
  QIcon icon;
  for (int size : res::kIconSizes) icon.addFile(Text(res::kIconResourceFormat).arg(size), QSize(size, size));
  return icon;
}

AppLinks BuildTimeLinks() {
  return {Text(QUARROW_SUPPORT_EMAIL), QUrl(Text(QUARROW_WEB_URL)), QUrl(Text(QUARROW_DONATE_URL))};
}

CQuarrowDlg::CQuarrowDlg(QuarrowDlgContext context, QWidget* pParent)
    : QDialog(pParent), m_ctx(std::move(context)), m_hIcon(ApplicationIcon()),
      m_wiring(m_ctx.wiringFile, m_ctx.legacyWiringSettings) {
  setWindowTitle(Text(res::kMainDialog.caption));
  setObjectName(Text(res::kMainDialog.name));
  setWindowIcon(m_hIcon);
  // A fixed-size window with a minimise box, no maximise box and no help button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  auto* menuBar = new QMenuBar(this);
  BuildMenu(menuBar);
  layout->setMenuBar(menuBar);

  auto* client = new QWidget(this);
  layout->addWidget(client);
  const std::map<int, QWidget*> controls = BuildControls(client, res::kMainDialog, DialogUnits(font()));
  m_btnConnect = static_cast<QPushButton*>(controls.at(res::IDC_CONNECT));
  m_cbDevices = static_cast<QComboBox*>(controls.at(res::IDC_DEVICES));
  m_editChip = static_cast<QLineEdit*>(controls.at(res::IDC_CHIP_DATA));
  m_editBuffer = static_cast<QLineEdit*>(controls.at(res::IDC_BUFFER_DATA));
  m_btnReadChip = static_cast<QPushButton*>(controls.at(res::IDC_READ_CHIP));
  m_btnSaveData = static_cast<QPushButton*>(controls.at(res::IDC_SAVE_DATA));
  m_btnCompare = static_cast<QPushButton*>(controls.at(res::IDC_COMPARE));
  m_btnOpenFile = static_cast<QPushButton*>(controls.at(res::IDC_OPEN_FILE));
  m_progress = static_cast<QProgressBar*>(controls.at(res::IDC_PROGRESS));
  m_donate = static_cast<QLabel*>(controls.at(res::IDC_DONATE));

  // No button is the default: Enter on a button presses that button (keyPressEvent), and Enter in a
  // data box ends the dialog as on Windows.
  for (QPushButton* button : {m_btnConnect, m_btnReadChip, m_btnSaveData, m_btnCompare, m_btnOpenFile}) {
    button->setAutoDefault(false);
  }
  const QPixmap donate(Text(res::kDonateResource));
  m_donate->setPixmap(donate);
  m_donate->resize(donate.size());  // a bitmap static takes the bitmap's size
  // No tab stop: it would be the one control left to take the focus while a read runs, and a second
  // Enter meant for Read chip would open the browser. A click, or assistive technology's press
  // action, still opens the page; the About box's picture takes the focus for keyboard users.
  m_donate->setFocusPolicy(Qt::NoFocus);

  ConnectHandlers();

  m_fontFixed = FixedFont(font());
  m_editChip->setFont(m_fontFixed);
  m_editBuffer->setFont(m_fontFixed);
  m_editChip->setText(Text(res::kInitialChipText));
  m_editBuffer->setText(Text(res::kInitialBufferText));
  m_ctx.bufferImage = DefaultBufferImage();

  BuildStatusBar(client);
  if (std::string tableError; !m_identifyPane->UseKnownDumps(m_ctx.knownDumps, tableError)) {
    m_ctx.services.MessageBox(
        this, Text(res::kCantReadKnownDumps) + QString::fromUtf8(tableError),
        Text(res::kCaptionError));
  }
  // A wiring that cannot be used is said before any Connect would quietly read on another one.
  if (const QStringList problems = m_wiring.CheckAtStart(); !problems.isEmpty()) {
    m_ctx.services.MessageBox(this, problems.join(QStringLiteral("\n\n")), Text(res::kCaptionError));
  }
  const int statusHeight = m_statusBar->sizeHint().height();
  m_statusBar->setGeometry(0, client->height() - statusHeight, client->width(), statusHeight);

  EnableControls(false);
  MenuItem(res::ID_FILE_EXIT)->setEnabled(true);
  MenuItem(res::ID_HELP_ABOUT)->setEnabled(true);
  ShowIdentification(nullptr);

  m_progress->setRange(1, PromImage::kBits);
  FillDeviceList();
  m_cbDevices->installEventFilter(this);
  if (m_cbDevices->lineEdit()) m_cbDevices->lineEdit()->installEventFilter(this);
  m_cbDevices->setFocus();
}

void CQuarrowDlg::BuildStatusBar(QWidget* client) {
  // The status line lies along the bottom of the client area, below the progress bar.
  m_statusBar = new QStatusBar(client);
  m_statusBar->setObjectName(QStringLiteral("AFX_IDW_STATUS_BAR"));
  m_statusBar->setSizeGripEnabled(false);
  m_statusPane = new StatusPane(Text(res::kOpenProgrammer), m_statusBar);
  m_statusPane->setObjectName(QStringLiteral("IDS_OPEN_PROGRAMMER"));
  // File names and library messages pass through both panes; none of them is markup.
  m_statusPane->setTextFormat(Qt::PlainText);
  m_statusBar->addWidget(m_statusPane, 1);
  m_identifyPane = std::make_unique<IdentificationPane>(m_statusBar);
}

void CQuarrowDlg::ConnectHandlers() {
  connect(m_btnConnect, &QPushButton::clicked, this, &CQuarrowDlg::OnBnClickedConnect);
  connect(m_btnReadChip, &QPushButton::clicked, this, &CQuarrowDlg::OnBnClickedReadChip);
  connect(m_btnSaveData, &QPushButton::clicked, this, &CQuarrowDlg::OnBnClickedSaveData);
  connect(m_btnOpenFile, &QPushButton::clicked, this, &CQuarrowDlg::OnBnClickedOpenFile);
  connect(m_btnCompare, &QPushButton::clicked, this, &CQuarrowDlg::OnBnClickedCompare);
  connect(static_cast<ClickableLabel*>(m_donate), &ClickableLabel::clicked, this,
          &CQuarrowDlg::OnStnClickedDonate);
  connect(static_cast<DropDownList*>(m_cbDevices), &DropDownList::aboutToDropDown, this,
          &CQuarrowDlg::OnDropDownDevices);
  // A read's events come from its worker's thread; queued, they run on the window's.
  connect(&m_handOff, &ReadHandOff::Progressed, this, &CQuarrowDlg::OnReadProgress, Qt::QueuedConnection);
  connect(&m_handOff, &ReadHandOff::Completed, this, &CQuarrowDlg::OnReadCompletion, Qt::QueuedConnection);
}

CQuarrowDlg::~CQuarrowDlg() {
  // Normally the window closes only after a read has finished. If it is destroyed regardless, the
  // read is stopped and waited for; its events, still queued, go with the window.
  m_worker.RequestStop();
  m_worker.Join();
  // The window opened the programmer and holds it until it goes, whether idle or after a read was
  // stopped: closed here, before the library that opened it is unloaded, it is free for other
  // programs and, on Linux, given back to the kernel's serial driver.
  m_ctx.connection.Close();
}

void CQuarrowDlg::BuildMenu(QMenuBar* menuBar) {
  menuBar->setObjectName(QStringLiteral("IDR_MAINMENU"));
  for (const res::MenuPopupTemplate& popup : res::kMainMenu) {
    QMenu* menu = menuBar->addMenu(Text(popup.text));
    for (const res::MenuItemTemplate& item : popup.items) {
      if (!item.text) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(Text(item.text));
      action->setObjectName(Text(item.name));
      action->setData(item.command);
      m_menuItems[item.command] = action;
      const int command = item.command;
      connect(action, &QAction::triggered, this, [this, command] {
        switch (command) {
          case res::ID_FILE_OPEN: OnFileOpen(); break;
          case res::ID_FILE_OPENNSS: OnFileOpenNss(); break;
          case res::ID_FILE_SAVEAS: OnFileSaveAs(); break;
          case res::ID_FILE_SAVEASNSS: OnFileSaveAsNss(); break;
          case res::ID_FILE_EXIT: OnFileExit(); break;
          case res::ID_FILE_WIRING: OnFileWiring(); break;
          case res::ID_HELP_ABOUT: OnHelpAbout(); break;
          case res::ID_HELP_DETAILS: OnHelpDetails(); break;
          default: break;
        }
      });
    }
  }
}

QAction* CQuarrowDlg::MenuItem(int commandId) const {
  const auto it = m_menuItems.find(commandId);
  return it == m_menuItems.end() ? nullptr : it->second;
}

QString CQuarrowDlg::StatusText() const { return m_statusPane->Text(); }

void CQuarrowDlg::SetStatus(const QString& text) {
  m_statusPane->SetText(text);
  m_statusPane->repaint();
}

void CQuarrowDlg::ShowError(const QString& text) {
  m_ctx.services.MessageBox(this, text, Text(res::kCaptionError));
  SetStatus(text);
}

void CQuarrowDlg::EnableControls(bool bEnable) {
  for (QPushButton* button : {m_btnReadChip, m_btnCompare, m_btnSaveData, m_btnOpenFile}) {
    button->setEnabled(bEnable);
  }
  for (int command : {res::ID_FILE_OPEN, res::ID_FILE_OPENNSS, res::ID_FILE_SAVEAS, res::ID_FILE_SAVEASNSS,
                      res::ID_FILE_EXIT, res::ID_HELP_ABOUT}) {
    MenuItem(command)->setEnabled(bEnable);
  }
}

void CQuarrowDlg::SetConnectEnabled(bool enable) {
  m_btnConnect->setEnabled(enable);
  m_cbDevices->setEnabled(enable);
  // The wiring takes effect at Connect, so it is chosen whenever Connect can be clicked.
  MenuItem(res::ID_FILE_WIRING)->setEnabled(enable);
}

void CQuarrowDlg::FillDeviceList() {
  m_cbDevices->clear();
  m_devices = m_ctx.connection.List();
  if (m_devices.empty()) {
    QString text = Text(res::kNoDevicesFound);
    const std::string reason = ProgrammerErrorText(m_ctx.connection.LastError());
    if (!reason.empty()) text += QStringLiteral("\n\n") + QString::fromUtf8(reason);
    m_ctx.services.MessageBox(this, text, Text(res::kCaptionError));
    return;
  }
  AddDeviceEntries();
  m_cbDevices->setCurrentIndex(0);
  ShowStartOfDeviceText();
}

void CQuarrowDlg::AddDeviceEntries() {
  // The entries come sorted as a sorted Windows combo box orders them; each item keeps the index of
  // the device it stands for.
  for (std::size_t i = 0; i < m_devices.size(); ++i) {
    m_cbDevices->addItem(EntryText(m_devices[i]), static_cast<int>(i));
  }
}

void CQuarrowDlg::ShowStartOfDeviceText() {
  // An entry longer than the box shows its start, the serial number, rather than its end.
  if (m_cbDevices->lineEdit()) m_cbDevices->lineEdit()->home(false);
}

void CQuarrowDlg::OnDropDownDevices() {
  if (Busy()) return;
  // What the person has chosen: an entry, or text of their own that names none.
  const QString text = m_cbDevices->currentText();
  const int index = m_cbDevices->currentIndex();
  const bool typed = index < 0 || m_cbDevices->itemText(index) != text;
  const QString selected = typed ? QString() : EntryText(m_devices.at(static_cast<std::size_t>(
                                                       m_cbDevices->itemData(index).toInt())));

  std::vector<DeviceEntry> devices = m_ctx.connection.List();
  const bool sameEntries = std::equal(devices.begin(), devices.end(), m_devices.begin(), m_devices.end(),
                                      [](const DeviceEntry& a, const DeviceEntry& b) { return a.text == b.text; });
  // Always the new records: a device without a serial opens by its position in the newest list.
  m_devices = std::move(devices);
  if (sameEntries) return;

  m_cbDevices->clear();
  AddDeviceEntries();
  if (typed) {
    m_cbDevices->setCurrentIndex(-1);
    m_cbDevices->setEditText(text);
    return;
  }
  const int kept = m_cbDevices->findText(selected, Qt::MatchExactly | Qt::MatchCaseSensitive);
  m_cbDevices->setCurrentIndex(kept >= 0 ? kept : (m_devices.empty() ? -1 : 0));
  ShowStartOfDeviceText();
}

std::optional<DeviceEntry> CQuarrowDlg::ChosenEntry() const {
  const QString text = m_cbDevices->currentText();
  // The selected item when the text is still its own; entries may differ only in case, so the
  // lookup of typed text is case-sensitive.
  int index = m_cbDevices->currentIndex();
  if (index < 0 || m_cbDevices->itemText(index) != text) {
    index = m_cbDevices->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  }
  if (index >= 0) return m_devices.at(static_cast<std::size_t>(m_cbDevices->itemData(index).toInt()));
  // Text typed by the person that names no entry: a listed programmer's serial as the list spells
  // it, else a serial number as typed.
  const std::string typed = text.trimmed().toStdString();
  for (const DeviceEntry& entry : m_devices) {
    if (!typed.empty() && SerialSpelling(entry.serial) == typed) return entry;
  }
  if (!typed.empty()) return EntryForSerial(typed);
  return std::nullopt;
}

void CQuarrowDlg::OnBnClickedConnect() {
  if (Busy()) return;
  const std::optional<DeviceEntry> chosen = ChosenEntry();
  if (!chosen || !ConnectTo(*chosen)) return;
  QString status = Text(res::kConnected);
  const PinAssignment& pins = m_ctx.connection.Pins();
  if (!pins.IsDefault()) status += QStringLiteral(" - ") + WiringInUse(pins);
  SetStatus(status);
}

bool CQuarrowDlg::ConnectTo(const DeviceEntry& entry) {
  PinAssignment pins;
  QString wiringError;
  if (!m_wiring.For(entry.serial, pins, wiringError)) {
    ShowError(wiringError);
    return false;
  }
  // Connecting again to the programmer in use closes it first, and its actions go with it; a
  // different programmer that will not open leaves the earlier connection as it was.
  Connection& connection = m_ctx.connection;
  const bool again = connection.Connected() && SameProgrammer(connection.Programmer(), entry);
  const ConnectResult result = connection.Connect(entry, pins);
  if (!result.ok) {
    if (again) EnableControls(false);
    ShowError(WithReason(Text(res::kCantOpenDevice), ConnectFailureText(result)));
    return false;
  }
  EnableControls(true);
  return true;
}

void CQuarrowDlg::OnFileWiring() {
  if (Busy()) return;
  const std::optional<DeviceEntry> entry = ChosenEntry();
  const std::string serial = entry ? entry->serial : std::string();
  StoredWirings stored;
  QString error;
  if (!m_wiring.Load(stored, error)) {
    ShowError(error);
    return;
  }
  const std::optional<FtdiChip> chip = entry ? entry->chip : std::nullopt;
  // The check needs this very programmer connected; the connection sets the pins up for the
  // assignment being tried and then back for the one in use. Pins the chip lacks are refused
  // before any is driven, as Connect refuses them.
  WiringCheck check;
  const Connection& connection = m_ctx.connection;
  if (connection.Connected() && entry && SameProgrammer(connection.Programmer(), *entry)) {
    check = [this](const PinAssignment& pins, PinTrace& trace) {
      const DeviceEntry& programmer = m_ctx.connection.Programmer();
      WiringSelfTestResult result;
      if (programmer.chip) result.refused = PinsOnChip(*programmer.chip, pins, programmer.port);
      if (result.refused) return result;
      trace = PinTraceFor(pins);
      return m_ctx.connection.SelfTest(pins, &trace, m_ctx.wait);
    };
  }
  const PinAssignment defaults = m_wiring.DefaultFor(serial, stored);
  QString note;
  if (const std::optional<PinAssignment> environment = WiringSettings::FromEnvironment(note)) {
    note = Text(res::kPinsVariableWins) + QString::fromStdString(environment->Text());
  }
  CWiringDialog dialog(serial, chip, stored.Own(serial).value_or(defaults), defaults, std::move(check), this);
  dialog.SetNote(note);
  if (chip) dialog.NameBoardPins(*chip, entry->port);
  if (dialog.exec() != QDialog::Accepted) return;
  if (!m_wiring.Remember(serial, dialog.Chosen(), error)) {
    ShowError(error);
    return;
  }
  ApplyChangedWiring();
}

void CQuarrowDlg::ApplyChangedWiring() {
  const Connection& connection = m_ctx.connection;
  if (!connection.Connected()) return;
  PinAssignment pins;
  QString error;
  if (!m_wiring.For(connection.Programmer().serial, pins, error) || pins == connection.Pins()) return;
  const DeviceEntry entry = connection.Programmer();
  if (ConnectTo(entry)) SetStatus(Text(res::kReconnectedWithWiring) + WiringInUse(connection.Pins()));
}

void CQuarrowDlg::OnBnClickedReadChip() {
  // After a close has been asked for, a new read would hold the window open: the close waits for
  // the read, and the read for the window.
  if (Busy()) return;
  m_progress->setRange(1, PromImage::kBits);
  SetStatus(Text(res::kReading));
  ShowIdentification(nullptr);
  m_focusBeforeRead = focusWidget();
  // The controls about to be disabled cannot keep the focus. It goes to the box where the chip's
  // bits will appear, where Tab, Space and Enter start nothing (keyPressEvent).
  if (m_focusBeforeRead && m_focusBeforeRead != m_editBuffer) m_editChip->setFocus(Qt::OtherFocusReason);
  EnableControls(false);
  // Connect could change the programmer under the running read; it waits until the read is done.
  SetConnectEnabled(false);
  m_focusDuringRead = focusWidget();
  m_reading = true;
  m_worker.Join();  // the previous read, which has sent its completion already
  try {
    m_worker.Start(m_ctx.connection.ReadJob(m_handOff, m_ctx.wait));
  } catch (const std::system_error& error) {
    m_reading = false;
    EnableControls(true);
    SetConnectEnabled(true);
    ShowError(WithReason(Text(res::kCantStartRead), error.what()));
  }
}

void CQuarrowDlg::OnReadProgress(const ReadProgress& progress) {
  const int n = progress.bitsRead;
  m_progress->setValue(n);
  m_progress->setValue(n - 1);
  m_progress->setValue(n);
}

void CQuarrowDlg::OnReadCompletion(const ReadCompletion& completion) {
  // The box always shows what the chip image holds, since that is what Save writes and Compare
  // uses; after a failure the status line says that those bits cannot be trusted.
  m_ctx.chipImage = completion.image;
  m_editChip->setText(QString::fromUtf8(FormatImageText(m_ctx.chipImage)));
  m_reading = false;
  if (m_closePending) {
    // The actions stay disabled: a click queued behind this event must not start a read that the
    // close would then wait for.
    SetStatus(Text(res::kReadStopped));
    QMetaObject::invokeMethod(this, &CQuarrowDlg::FinishClose, Qt::QueuedConnection);
    return;
  }
  EnableControls(true);
  SetConnectEnabled(true);
  // The focus left Read chip for the chip data box; it goes back, so that Enter reads again.
  if (m_focusBeforeRead && m_focusBeforeRead->isEnabled() && focusWidget() == m_focusDuringRead) {
    m_focusBeforeRead->setFocus(Qt::OtherFocusReason);
  }
  if (completion.outcome == ReadOutcome::Complete) {
    SetStatus(Text(res::kReadComplete));
    ShowIdentification(&m_ctx.chipImage);
  } else if (completion.outcome == ReadOutcome::Failed) {
    ShowError(Text(res::kReadFailed));
  } else {
    SetStatus(Text(res::kReadStopped));
  }
}

void CQuarrowDlg::done(int result) {
  if (m_reading || m_closePending) {
    if (!m_closePending) {
      m_closePending = true;
      m_closeResult = result;
      m_worker.RequestStop();
    }
    return;
  }
  QDialog::done(result);
}

void CQuarrowDlg::FinishClose() {
  // No read can have started since the close was asked for, and the last one has sent its
  // completion, so this join returns at once.
  m_worker.Join();
  m_closePending = false;
  QDialog::done(m_closeResult);
}

bool CQuarrowDlg::eventFilter(QObject* watched, QEvent* event) {
  // Enter in the device list connects to the entry or typed serial, rather than ending the program
  // and losing an unsaved read. With the list dropped down, Enter chooses an entry as usual.
  if (event->type() == QEvent::KeyPress && !m_cbDevices->view()->isVisible()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OnBnClickedConnect();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CQuarrowDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // During a read Enter is most likely the one that started it, pressed again: it neither ends the
    // window (which would stop the read and lose its bits) nor starts anything. Escape and the
    // close box still close.
    if (Busy()) return;
    // A button that is not the default leaves Enter to its dialog; as on Windows, it presses the
    // button that has the focus.
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
      if (button->isEnabled()) button->click();
      return;
    }
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CQuarrowDlg::OnBnClickedCompare() {
  if (Busy()) return;
  const bool match = CompareImages(m_ctx.chipImage, m_ctx.bufferImage).match;
  const QString text = Text(match ? res::kChipAndFileMatch : res::kChipAndFileDiffer);
  m_ctx.services.MessageBox(this, text, Text(match ? res::kCaptionOk : res::kCaptionError));
  SetStatus(text);
}

void CQuarrowDlg::SaveCommand(ImageFileLayout layout) {
  if (Busy()) return;
  const std::optional<QString> chosen =
      m_ctx.services.GetSaveFileName(this, FileFilters(), Text(res::kDefaultSaveSuffix));
  if (!chosen) return;
  const QString path = ShownPath(QFileInfo(*chosen).absoluteFilePath());
  const FileStatus status = SaveImageFile(SystemPath(path), m_ctx.chipImage, layout);
  if (!status) {
    ShowError(WithReason(Text(res::kCantSaveFile) + path, status.reason));
    return;
  }
  SetStatus(Text(res::kSavedTo) + path);
}

void CQuarrowDlg::OpenCommand(std::optional<ImageFileLayout> given) {
  if (Busy()) return;
  const std::optional<QString> chosen = m_ctx.services.GetOpenFileName(this, FileFilters());
  if (!chosen) return;
  const QString path = ShownPath(QFileInfo(*chosen).absoluteFilePath());
  std::vector<std::uint8_t> bytes;
  const FileStatus status = ReadImageFileBytes(SystemPath(path), bytes);
  if (!status) {
    ShowError(WithReason(Text(res::kCantOpenFile) + path, status.reason));
    return;
  }
  const ImageFileLayout layout = given.value_or(LayoutForFileName(SystemPath(path)));
  m_ctx.bufferImage = DecodeImageFile(bytes, layout);
  m_editBuffer->setText(QString::fromUtf8(FormatImageText(m_ctx.bufferImage)));
  SetStatus(Text(res::kOpenedFile) + path);
  ShowIdentification(&m_ctx.bufferImage, &bytes, layout);
}

void CQuarrowDlg::ShowIdentification(const PromImage* image, const std::vector<std::uint8_t>* fileBytes,
                                     ImageFileLayout fileLayout) {
  if (!image) {
    m_identifyPane->Clear();
  } else if (fileBytes) {
    m_identifyPane->ShowFile(*image, *fileBytes, fileLayout);
  } else {
    m_identifyPane->ShowChip(*image);
  }
  MenuItem(res::ID_HELP_DETAILS)->setEnabled(!m_identifyPane->Details().isEmpty());
}

void CQuarrowDlg::OnHelpDetails() {
  if (Busy() || m_identifyPane->Details().isEmpty()) return;
  m_ctx.services.MessageBox(this, m_identifyPane->Details(), Text(res::kCaptionDetails));
}

void CQuarrowDlg::OnBnClickedSaveData() { SaveCommand(ImageFileLayout::Mame); }
void CQuarrowDlg::OnFileSaveAsNss() { SaveCommand(ImageFileLayout::Nss); }
void CQuarrowDlg::OnBnClickedOpenFile() { OpenCommand(std::nullopt); }
void CQuarrowDlg::OnFileOpenNss() { OpenCommand(ImageFileLayout::Nss); }

void CQuarrowDlg::OnFileExit() { close(); }

void CQuarrowDlg::OnHelpAbout() {
  if (Busy()) return;
  CAboutDialog about(m_ctx.links, m_ctx.services, this);
  about.exec();
}

void CQuarrowDlg::OnStnClickedDonate() { m_ctx.services.OpenUrl(m_ctx.links.donatePage); }

}  // namespace quarrow
