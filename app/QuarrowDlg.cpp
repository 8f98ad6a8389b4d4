// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's start-up, enabling rules, keyboard rules and the commands on its boxes.
#include "QuarrowDlg.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "AboutDialog.h"
#include "DialogServices.h"
#include "DialogTemplate.h"
#include "Feedback.h"
#include "ImageCommands.h"
#include "IdentificationPane.h"
#include "MainMenu.h"
#include "ProgrammerChooser.h"
#include "ReadCommand.h"
#include "Resources.h"
#include "StatusPane.h"
#include "Texts.h"
#include "WindowLook.h"
#include "WiringCommands.h"

namespace quarrow {

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

CQuarrowDlg::CQuarrowDlg(QuarrowDlgContext context, QWidget* pParent)
    : QDialog(pParent), m_ctx(std::move(context)), m_wiring(m_ctx.wiringFile, m_ctx.legacyWiringSettings) {
  setWindowTitle(Text(res::kMainDialog.caption));
  setObjectName(Text(res::kMainDialog.name));
  setWindowIcon(ApplicationIcon());
  // A fixed-size window with a minimise box, no maximise box and no help button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  QWidget* client = BuildView();
  BuildStatusBar(client);
  BuildCommands();
  ConnectHandlers();
  m_ctx.bufferImage = DefaultBufferImage();
  SayStartProblems();

  EnableControls(false);
  MenuItem(res::ID_FILE_EXIT)->setEnabled(true);
  MenuItem(res::ID_HELP_ABOUT)->setEnabled(true);
  m_identifyPane->Clear();

  m_chooser->Fill();
  m_cbDevices->installEventFilter(this);
  if (m_cbDevices->lineEdit()) m_cbDevices->lineEdit()->installEventFilter(this);
  m_cbDevices->setFocus();
}

CQuarrowDlg::~CQuarrowDlg() {
  // A read still running is stopped and waited for first. The window opened the programmer and
  // holds it until it goes, whether idle or after a read was stopped: closed here, before the
  // library that opened it is unloaded, it is free for other programs and, on Linux, given back to
  // the kernel's serial driver.
  m_read.reset();
  m_ctx.connection.Close();
}

QWidget* CQuarrowDlg::BuildView() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  auto* menuBar = new QMenuBar(this);
  m_menu = std::make_unique<MainMenu>(menuBar);
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

  const QFont fixed = FixedFont(font());
  m_editChip->setFont(fixed);
  m_editBuffer->setFont(fixed);
  m_editChip->setText(Text(res::kInitialChipText));
  m_editBuffer->setText(Text(res::kInitialBufferText));
  return client;
}

void CQuarrowDlg::BuildStatusBar(QWidget* client) {
  // The status line lies along the bottom of the client area, below the progress bar.
  auto* statusBar = new QStatusBar(client);
  statusBar->setObjectName(QStringLiteral("AFX_IDW_STATUS_BAR"));
  statusBar->setSizeGripEnabled(false);
  auto* statusPane = new StatusPane(Text(res::kOpenProgrammer), statusBar);
  statusPane->setObjectName(QStringLiteral("IDS_OPEN_PROGRAMMER"));
  // File names and library messages pass through both panes; none of them is markup.
  statusPane->setTextFormat(Qt::PlainText);
  statusBar->addWidget(statusPane, 1);
  m_feedback = std::make_unique<Feedback>(this, m_ctx.services, statusPane);
  m_identifyPane = std::make_unique<IdentificationPane>(statusBar, MenuItem(res::ID_HELP_DETAILS));
  const int statusHeight = statusBar->sizeHint().height();
  statusBar->setGeometry(0, client->height() - statusHeight, client->width(), statusHeight);
}

void CQuarrowDlg::BuildCommands() {
  Connection& connection = m_ctx.connection;
  m_chooser = std::make_unique<ProgrammerChooser>(m_cbDevices, connection, m_wiring, *m_feedback,
                                                  [this](bool enable) { EnableControls(enable); });
  m_wiringCommands = std::make_unique<WiringCommands>(connection, m_wiring, *m_chooser, *m_feedback, m_ctx.wait);
  m_read = std::make_unique<ReadCommand>(connection, m_ctx.wait, m_progress, this);
  m_images = std::make_unique<ImageCommands>(m_ctx.services, *m_feedback);
}

void CQuarrowDlg::SayStartProblems() {
  if (std::string tableError; !m_identifyPane->UseKnownDumps(m_ctx.knownDumps, tableError)) {
    m_feedback->ShowMessage(Text(res::kCantReadKnownDumps) + QString::fromUtf8(tableError), Text(res::kCaptionError));
  }
  // A wiring that cannot be used is said before any Connect would quietly read on another one.
  if (const QStringList problems = m_wiring.CheckAtStart(); !problems.isEmpty()) {
    m_feedback->ShowMessage(problems.join(QStringLiteral("\n\n")), Text(res::kCaptionError));
  }
}

void CQuarrowDlg::ConnectHandlers() {
  connect(m_btnConnect, &QPushButton::clicked, this, &CQuarrowDlg::OnBnClickedConnect);
  connect(m_btnReadChip, &QPushButton::clicked, this, &CQuarrowDlg::OnBnClickedReadChip);
  connect(m_btnSaveData, &QPushButton::clicked, this, &CQuarrowDlg::OnBnClickedSaveData);
  connect(m_btnOpenFile, &QPushButton::clicked, this, &CQuarrowDlg::OnBnClickedOpenFile);
  connect(m_btnCompare, &QPushButton::clicked, this, &CQuarrowDlg::OnBnClickedCompare);
  connect(static_cast<ClickableLabel*>(m_donate), &ClickableLabel::clicked, this,
          &CQuarrowDlg::OnStnClickedDonate);
  // Lists the programmers again as the list drops down, so one plugged in after start-up can be chosen.
  connect(static_cast<DropDownList*>(m_cbDevices), &DropDownList::aboutToDropDown, this, [this] {
    if (!Busy()) m_chooser->Relist();
  });
  const auto menu = [this](int command, void (CQuarrowDlg::*handler)()) {
    connect(MenuItem(command), &QAction::triggered, this, handler);
  };
  menu(res::ID_FILE_OPEN, &CQuarrowDlg::OnBnClickedOpenFile);
  menu(res::ID_FILE_OPENNSS, &CQuarrowDlg::OnFileOpenNss);
  menu(res::ID_FILE_SAVEAS, &CQuarrowDlg::OnBnClickedSaveData);
  menu(res::ID_FILE_SAVEASNSS, &CQuarrowDlg::OnFileSaveAsNss);
  menu(res::ID_FILE_EXIT, &CQuarrowDlg::OnFileExit);
  menu(res::ID_FILE_WIRING, &CQuarrowDlg::OnFileWiring);
  menu(res::ID_HELP_ABOUT, &CQuarrowDlg::OnHelpAbout);
  menu(res::ID_HELP_DETAILS, &CQuarrowDlg::OnHelpDetails);
  connect(m_read.get(), &ReadCommand::Completed, this, &CQuarrowDlg::OnReadCompletion);
  connect(m_read.get(), &ReadCommand::CloseReady, this, [this](int result) { QDialog::done(result); });
}

QAction* CQuarrowDlg::MenuItem(int commandId) const { return m_menu->Item(commandId); }
QString CQuarrowDlg::StatusText() const { return m_feedback->Status(); }
bool CQuarrowDlg::Reading() const { return m_read->Reading(); }
bool CQuarrowDlg::Busy() const { return m_read->Busy(); }

void CQuarrowDlg::EnableControls(bool bEnable) {
  for (QPushButton* button : {m_btnReadChip, m_btnCompare, m_btnSaveData, m_btnOpenFile}) {
    button->setEnabled(bEnable);
  }
  for (int command : {res::ID_FILE_OPEN, res::ID_FILE_OPENNSS, res::ID_FILE_SAVEAS, res::ID_FILE_SAVEASNSS,
                      res::ID_FILE_EXIT, res::ID_HELP_ABOUT}) {
    MenuItem(command)->setEnabled(bEnable);
  }
}

void CQuarrowDlg::EnableAll(bool enable) {
  EnableControls(enable);
  // Connect could change the programmer under a running read; it waits until the read is done.
  m_btnConnect->setEnabled(enable);
  m_cbDevices->setEnabled(enable);
  // The wiring takes effect at Connect, so it is chosen whenever Connect can be clicked.
  MenuItem(res::ID_FILE_WIRING)->setEnabled(enable);
}

void CQuarrowDlg::OnBnClickedConnect() {
  if (!Busy()) m_chooser->Connect();
}

void CQuarrowDlg::OnFileWiring() {
  if (!Busy()) m_wiringCommands->ChooseWiring();
}

void CQuarrowDlg::OnBnClickedReadChip() {
  // After a close has been asked for, a new read would hold the window open: the close waits for
  // the read, and the read for the window.
  if (Busy()) return;
  m_feedback->SetStatus(Text(res::kReading));
  m_identifyPane->Clear();
  m_focusBeforeRead = focusWidget();
  // The controls about to be disabled cannot keep the focus. It goes to the box where the chip's
  // bits will appear, where Tab, Space and Enter start nothing (keyPressEvent).
  if (m_focusBeforeRead && m_focusBeforeRead != m_editBuffer) m_editChip->setFocus(Qt::OtherFocusReason);
  EnableAll(false);
  m_focusDuringRead = focusWidget();
  if (std::string reason; !m_read->Start(reason)) {
    EnableAll(true);
    m_feedback->ShowError(WithReason(Text(res::kCantStartRead), reason));
  }
}

void CQuarrowDlg::OnReadCompletion(const ReadCompletion& completion) {
  // The box always shows what the chip image holds, since that is what Save writes and Compare
  // uses; after a failure the status line says that those bits cannot be trusted.
  m_ctx.chipImage = completion.image;
  m_editChip->setText(QString::fromUtf8(FormatImageText(m_ctx.chipImage)));
  if (m_read->ClosePending()) {
    // The actions stay disabled: a click queued behind this event must not start a read that the
    // close would then wait for.
    m_feedback->SetStatus(Text(res::kReadStopped));
    return;
  }
  EnableAll(true);
  // The focus left Read chip for the chip data box; it goes back, so that Enter reads again.
  if (m_focusBeforeRead && m_focusBeforeRead->isEnabled() && focusWidget() == m_focusDuringRead) {
    m_focusBeforeRead->setFocus(Qt::OtherFocusReason);
  }
  if (completion.outcome == ReadOutcome::Complete) {
    m_feedback->SetStatus(Text(res::kReadComplete));
    m_identifyPane->ShowChip(m_ctx.chipImage);
  } else if (completion.outcome == ReadOutcome::Failed) {
    m_feedback->ShowError(Text(res::kReadFailed));
  } else {
    m_feedback->SetStatus(Text(res::kReadStopped));
  }
}

void CQuarrowDlg::done(int result) {
  if (!m_read->HoldClose(result)) QDialog::done(result);
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
  if (!Busy()) m_images->Compare(m_ctx.chipImage, m_ctx.bufferImage);
}

void CQuarrowDlg::SaveCommand(ImageFileLayout layout) {
  if (!Busy()) m_images->Save(m_ctx.chipImage, layout);
}

void CQuarrowDlg::OpenCommand(std::optional<ImageFileLayout> layout) {
  if (Busy()) return;
  const std::optional<OpenedImageFile> opened = m_images->Open(layout);
  if (!opened) return;
  m_ctx.bufferImage = opened->image;
  m_editBuffer->setText(QString::fromUtf8(FormatImageText(m_ctx.bufferImage)));
  m_identifyPane->ShowFile(m_ctx.bufferImage, opened->bytes, opened->layout);
}

void CQuarrowDlg::OnHelpDetails() {
  if (Busy() || m_identifyPane->Details().isEmpty()) return;
  m_feedback->ShowMessage(m_identifyPane->Details(), Text(res::kCaptionDetails));
}

void CQuarrowDlg::OnHelpAbout() {
  if (Busy()) return;
  CAboutDialog about(m_ctx.links, m_ctx.services, this);
  about.exec();
}

void CQuarrowDlg::OnStnClickedDonate() { m_ctx.services.OpenUrl(m_ctx.links.donatePage); }

}  // namespace quarrow
