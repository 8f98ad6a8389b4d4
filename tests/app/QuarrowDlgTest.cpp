// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven through its real widgets and handlers, with a simulated programmer and
// scripted answers for message boxes and file choosers.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "AppTestSupport.h"
#include "DestroyedWindowWatch.h"
#include "SimulatedWindowState.h"
#include "ImageFile.h"
#include "KnownDumps.h"
#include "QuarrowApp.h"
#include "QuarrowDlg.h"
#include "Resources.h"
#include "Texts.h"
#include "StatusPane.h"
#include "sim/SimulatedProgrammer.h"

// Stands in for the desktop's browser and mail program: counts the addresses handed over.
class DesktopUrlCounter : public QObject {
  Q_OBJECT
 public:
  int opened = 0;
 public slots:
  void open(const QUrl&) { ++opened; }
};

namespace quarrow {
namespace {

using testing::FakeDialogServices;
using testing::GatedWait;
using testing::PumpUntil;
using testing::ShownToolTip;

constexpr const char* kSampleText = "0123456789ABCDEF FEDCBA9876543210";
const int kFileCommands[] = {res::ID_FILE_OPEN, res::ID_FILE_OPENNSS, res::ID_FILE_SAVEAS, res::ID_FILE_SAVEASNSS};

SimulatedDevice Record(const char* serial, const char* description) { return {serial, description}; }

class QuarrowDlgTest : public ::testing::Test, protected testing::SimulatedWindowState {
 protected:
  CQuarrowDlg& Make() {
    dlg = std::make_unique<CQuarrowDlg>(Context(services, wait, links, knownDumps));
    return *dlg;
  }
  template <class T>
  T* Control(const char* name) const {
    T* widget = dlg->findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString ChipText() const { return Control<QLineEdit>("IDC_CHIP_DATA")->text(); }
  QString BufferText() const { return Control<QLineEdit>("IDC_BUFFER_DATA")->text(); }

  // Whether the four action buttons and the four file commands are enabled, as one answer; mixed
  // states fail the test.
  bool ActionsEnabled() const {
    int enabled = 0;
    for (const char* name : {"IDC_READ_CHIP", "IDC_SAVE_DATA", "IDC_OPEN_FILE", "IDC_COMPARE"}) {
      enabled += Control<QPushButton>(name)->isEnabled();
    }
    for (int command : kFileCommands) enabled += dlg->MenuItem(command)->isEnabled();
    EXPECT_TRUE(enabled == 0 || enabled == 8) << enabled << " of 8 actions enabled";
    return enabled == 8;
  }
  bool ExitAndAboutEnabled() const {
    const bool exit = dlg->MenuItem(res::ID_FILE_EXIT)->isEnabled();
    EXPECT_EQ(exit, dlg->MenuItem(res::ID_HELP_ABOUT)->isEnabled());
    return exit;
  }
  bool ConnectEnabled() const {
    const bool button = Control<QPushButton>("IDC_CONNECT")->isEnabled();
    EXPECT_EQ(button, Control<QComboBox>("IDC_DEVICES")->isEnabled());
    return button;
  }
  void Connect() {
    Control<QPushButton>("IDC_CONNECT")->click();
    ASSERT_EQ(dlg->StatusText(), res::kConnected);
  }
  // Shows the window, connects and starts a read that is held at `gate`.
  void StartHeldRead(GatedWait& gate) {
    wait = std::ref(gate);
    Make();
    dlg->show();
    Connect();
    Control<QPushButton>("IDC_READ_CHIP")->click();
    ASSERT_TRUE(PumpUntil([&] { return gate.Held(); }));
  }
  void ReadToTheEnd() {
    Control<QPushButton>("IDC_READ_CHIP")->click();
    ASSERT_TRUE(PumpUntil([&] { return !dlg->Reading(); }));
  }

  // The table of known dumps knows only the simulated chip's (samples/sample.prm), by these names.
  void KnowTheSampleAs(const char* set, const char* title) {
    KnownDump sample;
    sample.set = set;
    sample.title = title;
    sample.hashes = {"6caff5d8", "6f041ee1cbe84653237a6d0c925ef5c5da982242"};
    knownTable = std::make_unique<KnownDumpTable>(std::vector<KnownDump>{sample});
    knownDumps = knownTable.get();
  }

  // Only these programmers are attached from now on.
  void Attach(std::vector<SimulatedDevice> devices) {
    SimulatedOptions options;
    options.devices = std::move(devices);
    sim.SetOptions(options);
  }

  FakeDialogServices services;
  WaitFunction wait = [](int) {};
  AppLinks links{QStringLiteral("help@quarrow.test"), QUrl(QStringLiteral("https://quarrow.test/")),
                 QUrl(QStringLiteral("https://quarrow.test/give"))};
  std::unique_ptr<KnownDumpTable> knownTable;
  const KnownDumpTable* knownDumps = nullptr;
  std::unique_ptr<CQuarrowDlg> dlg;  // last, so it goes before what it works on
};

TEST_F(QuarrowDlgTest, StartsNotConnectedWithTheSortedDeviceList) {
  Attach({Record("ZX000002", "second"), Record("ab000001", "first"), Record("M0000003", "third")});
  Make();

  auto* devices = Control<QComboBox>("IDC_DEVICES");
  ASSERT_EQ(devices->count(), 3);
  EXPECT_EQ(devices->itemText(0), "ab000001 - first");
  EXPECT_EQ(devices->itemText(1), "M0000003 - third");
  EXPECT_EQ(devices->itemText(2), "ZX000002 - second");
  EXPECT_EQ(devices->currentIndex(), 0);
  EXPECT_TRUE(devices->isEditable());

  EXPECT_EQ(dlg->StatusText(), res::kOpenProgrammer);
  EXPECT_EQ(dlg->windowTitle(), "Quarrow");
  EXPECT_FALSE(ActionsEnabled());
  EXPECT_TRUE(ExitAndAboutEnabled());
  EXPECT_TRUE(ConnectEnabled());
  EXPECT_TRUE(services.boxes.empty());
  EXPECT_EQ(ChipText(), res::kInitialChipText);
  EXPECT_EQ(BufferText(), res::kInitialBufferText);
  EXPECT_EQ(QString::fromStdString(FormatImageText(buffer)), res::kInitialBufferText);
  auto* progress = Control<QProgressBar>("IDC_PROGRESS");
  EXPECT_EQ(progress->minimum(), 1);
  EXPECT_EQ(progress->maximum(), 128);

  // Tab order is template order, over the controls that take the focus.
  QWidget* at = devices;
  for (const char* next : {"IDC_CONNECT", "IDC_CHIP_DATA", "IDC_BUFFER_DATA", "IDC_READ_CHIP",
                           "IDC_SAVE_DATA", "IDC_COMPARE", "IDC_OPEN_FILE"}) {
    do at = at->nextInFocusChain(); while (at->focusPolicy() == Qt::NoFocus || at->focusProxy() != nullptr ||
                                           at->parentWidget() != devices->parentWidget());
    EXPECT_EQ(at->objectName(), next);
  }
}

TEST_F(QuarrowDlgTest, WithoutProgrammersTellsInABoxOnlyAndConnectDoesNothing) {
  SimulatedOptions options;
  options.unplugged = true;
  sim.SetOptions(options);
  Make();

  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_TRUE(services.boxes[0].text.startsWith("No programmer found: looked for FTDI chips with bit-bang (FT232R"));
  EXPECT_EQ(services.boxes[0].caption, res::kCaptionError);
  EXPECT_EQ(dlg->StatusText(), res::kOpenProgrammer);
  EXPECT_EQ(Control<QComboBox>("IDC_DEVICES")->count(), 0);
  EXPECT_FALSE(ActionsEnabled());
  EXPECT_TRUE(ExitAndAboutEnabled());

  Control<QPushButton>("IDC_CONNECT")->click();
  EXPECT_EQ(services.boxes.size(), 1u);
  EXPECT_TRUE(record.Opens().empty());
  EXPECT_EQ(dlg->StatusText(), res::kOpenProgrammer);
}

TEST_F(QuarrowDlgTest, ConnectOpensTheProgrammerOrReportsWhyNot) {
  Make();
  SimulatedOptions options;
  options.failOpen = true;
  sim.SetOptions(options);
  Control<QPushButton>("IDC_CONNECT")->click();
  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_TRUE(services.boxes[0].text.startsWith(res::kCantOpenDevice));
  EXPECT_GT(services.boxes[0].text.size(), QString(res::kCantOpenDevice).size()) << "the back end's reason";
  EXPECT_EQ(services.boxes[0].caption, res::kCaptionError);
  EXPECT_EQ(dlg->StatusText(), services.boxes[0].text);
  EXPECT_FALSE(connection.Connected());
  EXPECT_FALSE(ActionsEnabled());

  sim.SetOptions({});
  Connect();
  EXPECT_TRUE(connection.Connected());
  EXPECT_TRUE(ActionsEnabled());
  EXPECT_TRUE(ExitAndAboutEnabled());
  ASSERT_FALSE(record.Opens().empty());
  EXPECT_EQ(record.Opens().back().serial, kSimulatedSerial);
}

// Connect is one Enter away in the device list, so it is pressed again for the connected programmer.
TEST_F(QuarrowDlgTest, ConnectAgainReopensTheConnectedProgrammerAndARefusedOtherKeepsIt) {
  Attach({Record("QSIM0001", "first"), Record("QSIM0002", "second")});
  Make();
  Connect();
  const std::size_t opens = record.Opens().size();
  Connect();
  EXPECT_TRUE(services.boxes.empty()) << services.boxes[0].text.toStdString();
  EXPECT_EQ(record.Opens().size(), opens + 1);
  EXPECT_TRUE(connection.Connected());
  EXPECT_TRUE(ActionsEnabled());

  // Switching programmers gives the earlier one back, so it opens again afterwards.
  auto* devices = Control<QComboBox>("IDC_DEVICES");
  for (const char* serial : {"QSIM0002", "QSIM0001"}) {
    devices->setEditText(QString::fromUtf8(serial));
    Connect();
  }
  EXPECT_TRUE(services.boxes.empty()) << services.boxes[0].text.toStdString();

  devices->setEditText(QStringLiteral("NOSUCH99"));
  Control<QPushButton>("IDC_CONNECT")->click();
  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_TRUE(ActionsEnabled());
  ReadToTheEnd();
  EXPECT_EQ(ChipText(), kSampleText);
}

TEST_F(QuarrowDlgTest, ConnectTakesTypedTextThatNamesNoEntryAsASerialNumber) {
  Attach({Record("QSIM0001", "listed")});
  Make();
  auto* devices = Control<QComboBox>("IDC_DEVICES");

  devices->setEditText(QStringLiteral("QSIM0001"));
  Connect();
  EXPECT_EQ(record.Opens().back().serial, "QSIM0001");

  devices->setEditText(QStringLiteral("NOSUCH99"));
  Control<QPushButton>("IDC_CONNECT")->click();
  EXPECT_EQ(record.Opens().back().serial, "NOSUCH99");
  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_TRUE(services.boxes[0].text.startsWith(res::kCantOpenDevice));
  EXPECT_EQ(devices->count(), 1) << "typed text never becomes an entry";
}

TEST_F(QuarrowDlgTest, ConnectOpensTheSelectedEntryEvenWhenAnotherDiffersOnlyInCase) {
  Attach({Record("ab000001", "board"), Record("AB000001", "board")});
  Make();
  auto* devices = Control<QComboBox>("IDC_DEVICES");
  ASSERT_EQ(devices->count(), 2);
  for (int i : {1, 0}) {
    devices->setCurrentIndex(i);
    Connect();
    EXPECT_EQ(QString::fromStdString(record.Opens().back().serial), devices->itemText(i).left(8));
  }
}

TEST_F(QuarrowDlgTest, ReadDisablesEverythingButTheCloseBoxThenShowsTheChip) {
  GatedWait gate(200);  // somewhere in bit 65
  wait = std::ref(gate);
  Make();
  Connect();
  QList<int> positions;
  QObject::connect(Control<QProgressBar>("IDC_PROGRESS"), &QProgressBar::valueChanged,
                   [&](int value) { positions.append(value); });

  Control<QPushButton>("IDC_READ_CHIP")->click();
  EXPECT_EQ(dlg->StatusText(), res::kReading);
  ASSERT_TRUE(PumpUntil([&] { return gate.Held(); }));
  EXPECT_TRUE(dlg->Reading());
  EXPECT_FALSE(ActionsEnabled());
  EXPECT_FALSE(ExitAndAboutEnabled());
  EXPECT_FALSE(ConnectEnabled());
  const auto opensBefore = record.Opens().size();
  dlg->OnBnClickedConnect();  // even if reached some other way, it must not swap the programmer
  dlg->OnBnClickedReadChip();
  EXPECT_EQ(record.Opens().size(), opensBefore);
  gate.Release();
  ASSERT_TRUE(PumpUntil([&] { return !dlg->Reading(); }));

  EXPECT_EQ(ChipText(), kSampleText);
  EXPECT_EQ(chip, SimulatedSampleImage());
  EXPECT_EQ(dlg->StatusText(), res::kReadComplete);
  EXPECT_TRUE(ActionsEnabled());
  EXPECT_TRUE(ExitAndAboutEnabled());
  EXPECT_TRUE(ConnectEnabled());
  EXPECT_TRUE(services.boxes.empty());

  // Each bit n moves the bar to n, n - 1, n; the first bit's 0 lies outside the range.
  QList<int> expected{1};
  for (int n = 2; n <= 128; ++n) expected << n << n - 1 << n;
  EXPECT_EQ(positions, expected);

  // A second read starts from the full bar and a cleared chip image.
  positions.clear();
  sim.SetChip(PromImage{});
  ReadToTheEnd();
  EXPECT_EQ(positions.front(), 1);
  EXPECT_EQ(ChipText(), res::kInitialChipText);
}

TEST_F(QuarrowDlgTest, FailedReadIsAnErrorAndNeverComplete) {
  Make();
  Connect();
  SimulatedOptions options;
  options.failReadsFromBit = 10;
  sim.SetOptions(options);
  ReadToTheEnd();

  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_EQ(services.boxes[0].text, res::kReadFailed);
  EXPECT_EQ(services.boxes[0].caption, res::kCaptionError);
  EXPECT_EQ(dlg->StatusText(), res::kReadFailed);
  // The box shows exactly what Save would write and Compare would use.
  EXPECT_EQ(ChipText(), QString::fromStdString(FormatImageText(chip)));
  EXPECT_NE(ChipText(), kSampleText);
  EXPECT_TRUE(ActionsEnabled());
  EXPECT_TRUE(ConnectEnabled());
}

TEST_F(QuarrowDlgTest, IdentificationPaneNamesTheReadOrOpenedImageAndItsSentencesReachTheKeyboard) {
  KnowTheSampleAs("pc_sample", "Sample");
  Make();
  Connect();
  auto* pane = Control<QLabel>(res::kIdentifyPaneName);
  QAction* details = dlg->MenuItem(res::ID_HELP_DETAILS);
  EXPECT_EQ(pane->text(), "");
  EXPECT_FALSE(details->isEnabled()) << "nothing to tell yet";

  ReadToTheEnd();
  EXPECT_EQ(pane->text(), "Chip: pc_sample");
  EXPECT_EQ(ShownToolTip(pane->toolTip()), "Known dump: pc_sample, Sample");
  EXPECT_EQ(pane->accessibleName(), pane->text());
  EXPECT_EQ(pane->accessibleDescription(), ShownToolTip(pane->toolTip()));
  EXPECT_EQ(dlg->StatusText(), res::kReadComplete);
  details->trigger();
  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_EQ(services.boxes[0].text, QString(res::kDetailsChip) + "\nKnown dump: pc_sample, Sample");
  EXPECT_EQ(services.boxes[0].caption, res::kCaptionDetails);

  // An NSS file whose bits 64-127 repeat bits 0-63.
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("wrapped.bin"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray("\x12\x34\x56\x78\x9a\xbc\xde\xf0", 8).repeated(2));
  file.close();
  services.openAnswers.push_back(path);
  dlg->OnFileOpenNss();
  EXPECT_EQ(pane->text(), QString(res::kSubjectFile) + res::kShortTestPinLow);
  const QString tip = ShownToolTip(pane->toolTip());
  EXPECT_TRUE(tip.startsWith(res::kNotKnownDump)) << tip.toStdString();
  EXPECT_TRUE(tip.endsWith(QString("\n") + res::kDiagnosisTestPinLow)) << tip.toStdString();
  EXPECT_EQ(dlg->StatusText(), QString(res::kOpenedFile) + QDir::toNativeSeparators(path));

  // The sample's MAME-layout file under an NSS name: Open file takes the raw layout from the name,
  // and the bytes still name the dump and the layout they are in.
  const std::uint8_t sampleRaw[] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef,
                                    0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10};
  const ImageFileBytes sampleMame = EncodeImageFile(
      DecodeImageFile(sampleRaw, ImageFileLayout::Nss), ImageFileLayout::Mame);
  const QString misnamed = folder.filePath(QStringLiteral("sample.nss"));
  QFile misnamedFile(misnamed);
  ASSERT_TRUE(misnamedFile.open(QIODevice::WriteOnly));
  misnamedFile.write(reinterpret_cast<const char*>(sampleMame.data()), sampleMame.size());
  misnamedFile.close();
  services.openAnswers.push_back(misnamed);
  dlg->OnBnClickedOpenFile();
  EXPECT_EQ(pane->text(), QString(res::kSubjectFile) + "pc_sample");
  EXPECT_NE(BufferText(), kSampleText);
  EXPECT_TRUE(ShownToolTip(pane->toolTip()).contains(QString(res::kKnownDumpOtherLayout) + "MAME"))
      << ShownToolTip(pane->toolTip()).toStdString();

  // A failed read leaves nothing to name.
  SimulatedOptions options;
  options.failReadsFromBit = 10;
  sim.SetOptions(options);
  ReadToTheEnd();
  EXPECT_EQ(pane->text(), "");
  EXPECT_EQ(pane->toolTip(), "");
  EXPECT_FALSE(details->isEnabled());
}

// Table fields and file names are outside text: markup in them shows as typed. A status text too
// long for the window shows its start and end, with the whole text as its tooltip and name.
TEST_F(QuarrowDlgTest, MarkupInTableFieldsAndFileNamesShowsLiterallyAndALongStatusTextWhole) {
  KnowTheSampleAs("<h1>pc", "<img src=\"x.png\">");
  Make();
  dlg->show();  // the status line fits its text to the width it is laid out with
  Connect();
  ReadToTheEnd();
  auto* pane = Control<QLabel>(res::kIdentifyPaneName);
  EXPECT_EQ(pane->text(), "Chip: <h1>pc");
  EXPECT_EQ(pane->textFormat(), Qt::PlainText);
  EXPECT_EQ(ShownToolTip(pane->toolTip()), "Known dump: <h1>pc, <img src=\"x.png\">");

  QTemporaryDir folder;
#ifdef _WIN32
  const QString markup = QStringLiteral("&lt;h1&gt;");  // Windows refuses < and > in names
#else
  const QString markup = QStringLiteral("<h1>");
#endif
  const QString deep = folder.filePath(QStringLiteral("arcade boards/PlayChoice-10 cartridges/to check ") + markup);
  ASSERT_TRUE(QDir().mkpath(deep));
  const QString path = deep + QStringLiteral("/chip.prm");
  services.saveAnswers.push_back(path);
  dlg->OnBnClickedSaveData();
  const QString whole = QString(res::kSavedTo) + QDir::toNativeSeparators(path);
  auto* status = Control<StatusPane>("IDS_OPEN_PROGRAMMER");
  EXPECT_EQ(dlg->StatusText(), whole);
  EXPECT_EQ(ShownToolTip(status->toolTip()), whole);
  EXPECT_EQ(status->accessibleName(), whole);
  EXPECT_NE(status->text(), whole) << "too long for the window, yet shown whole";
  EXPECT_TRUE(status->text().startsWith(QStringLiteral("Chip data saved"))) << status->text().toStdString();
  EXPECT_TRUE(status->text().endsWith(QDir::toNativeSeparators(markup + QStringLiteral("/chip.prm"))))
      << status->text().toStdString();
  EXPECT_LE(status->fontMetrics().horizontalAdvance(status->text()), status->contentsRect().width());
  EXPECT_EQ(status->textFormat(), Qt::PlainText);
}

TEST_F(QuarrowDlgTest, CompareTellsMatchAndMismatchInBoxAndStatusLine) {
  Make();
  Connect();
  struct Case {
    const char* what;
    PromImage chipImage;
    bool match;
  };
  PromImage bit0 = DefaultBufferImage(), bit127 = DefaultBufferImage();
  bit0.SetBit(0, false);
  bit127.SetBit(127, true);
  const Case cases[] = {{"never read", PromImage{}, false},
                        {"equal to the default buffer", DefaultBufferImage(), true},
                        {"differs in bit 0", bit0, false},
                        {"differs in bit 127", bit127, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    chip = c.chipImage;
    services.boxes.clear();
    Control<QPushButton>("IDC_COMPARE")->click();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, c.match ? res::kChipAndFileMatch : res::kChipAndFileDiffer);
    EXPECT_EQ(services.boxes[0].caption, c.match ? res::kCaptionOk : res::kCaptionError);
    EXPECT_EQ(dlg->StatusText(), services.boxes[0].text);
    EXPECT_EQ(services.owners.back(), dlg.get());
  }
}

struct FileRoute {
  const char* name;
  ImageFileLayout layout;
  std::function<void(CQuarrowDlg&)> save;
  std::function<void(CQuarrowDlg&)> open;
};

class FileCommandTest : public QuarrowDlgTest, public ::testing::WithParamInterface<FileRoute> {};

TEST_P(FileCommandTest, SavedChipOpensIntoTheBufferAndMatches) {
  Make();
  Connect();
  ReadToTheEnd();
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("chip %1.bin").arg(GetParam().name));

  services.saveAnswers.push_back(path);
  GetParam().save(*dlg);
  EXPECT_EQ(services.lastSuffix, res::kDefaultSaveSuffix);
  EXPECT_EQ(services.lastFilters, QStringList({res::kFilterMame, res::kFilterAll}));
  EXPECT_EQ(dlg->StatusText(), QString(res::kSavedTo) + QDir::toNativeSeparators(path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  const ImageFileBytes expected = EncodeImageFile(SimulatedSampleImage(), GetParam().layout);
  EXPECT_EQ(bytes, QByteArray(reinterpret_cast<const char*>(expected.data()), expected.size()));

  services.openAnswers.push_back(path);
  GetParam().open(*dlg);
  EXPECT_TRUE(services.lastSuffix.isEmpty());
  EXPECT_EQ(services.lastFilters, QStringList({res::kFilterMame, res::kFilterAll}));
  EXPECT_EQ(dlg->StatusText(), QString(res::kOpenedFile) + QDir::toNativeSeparators(path));
  EXPECT_EQ(BufferText(), kSampleText);
  EXPECT_EQ(buffer, chip);
  EXPECT_EQ(ChipText(), kSampleText);

  dlg->OnBnClickedCompare();
  EXPECT_EQ(dlg->StatusText(), res::kChipAndFileMatch);
  for (QWidget* owner : services.owners) EXPECT_EQ(owner, dlg.get());
}

INSTANTIATE_TEST_SUITE_P(
    Routes, FileCommandTest,
    ::testing::Values(
        FileRoute{"MameButtons", ImageFileLayout::Mame,
                  [](CQuarrowDlg& d) { d.findChild<QPushButton*>("IDC_SAVE_DATA")->click(); },
                  [](CQuarrowDlg& d) { d.findChild<QPushButton*>("IDC_OPEN_FILE")->click(); }},
        FileRoute{"MameMenu", ImageFileLayout::Mame,
                  [](CQuarrowDlg& d) { d.MenuItem(res::ID_FILE_SAVEAS)->trigger(); },
                  [](CQuarrowDlg& d) { d.MenuItem(res::ID_FILE_OPEN)->trigger(); }},
        FileRoute{"NssMenu", ImageFileLayout::Nss,
                  [](CQuarrowDlg& d) { d.MenuItem(res::ID_FILE_SAVEASNSS)->trigger(); },
                  [](CQuarrowDlg& d) { d.MenuItem(res::ID_FILE_OPENNSS)->trigger(); }}),
    [](const ::testing::TestParamInfo<FileRoute>& info) { return std::string(info.param.name); });

TEST_F(QuarrowDlgTest, CancelledFileDialogsChangeNothing) {
  Make();
  Connect();
  for (int command : kFileCommands) {
    dlg->MenuItem(command)->trigger();  // no scripted answer: the person cancels
  }
  EXPECT_EQ(dlg->StatusText(), res::kConnected);
  EXPECT_EQ(BufferText(), res::kInitialBufferText);
  EXPECT_EQ(buffer, DefaultBufferImage());
  EXPECT_TRUE(services.boxes.empty());
  EXPECT_EQ(services.owners.size(), 4u);
}

TEST_F(QuarrowDlgTest, FailedSaveAndOpenSayWhyAndKeepTheBuffer) {
  Make();
  Connect();
  QTemporaryDir folder;
  const QString missingFolder = folder.filePath(QStringLiteral("no such folder/chip.bin"));

  services.saveAnswers.push_back(missingFolder);
  dlg->OnBnClickedSaveData();
  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_TRUE(services.boxes[0].text.startsWith(QString(res::kCantSaveFile) +
                                                QDir::toNativeSeparators(missingFolder) + ": "))
      << services.boxes[0].text.toStdString();
  EXPECT_EQ(services.boxes[0].caption, res::kCaptionError);
  EXPECT_EQ(dlg->StatusText(), services.boxes[0].text);
  EXPECT_FALSE(QFile::exists(missingFolder));

  const QString missingFile = folder.filePath(QStringLiteral("absent.prm"));
  services.openAnswers.push_back(missingFile);
  dlg->OnFileOpenNss();
  ASSERT_EQ(services.boxes.size(), 2u);
  EXPECT_TRUE(services.boxes[1].text.startsWith(QString(res::kCantOpenFile) +
                                                QDir::toNativeSeparators(missingFile) + ": "));
  EXPECT_EQ(dlg->StatusText(), services.boxes[1].text);
  EXPECT_EQ(BufferText(), res::kInitialBufferText);
  EXPECT_EQ(buffer, DefaultBufferImage());

  services.openAnswers.push_back(folder.path());  // a folder is no image file
  dlg->OnBnClickedOpenFile();
  ASSERT_EQ(services.boxes.size(), 3u);
  EXPECT_TRUE(services.boxes[2].text.startsWith(res::kCantOpenFile));
  EXPECT_EQ(buffer, DefaultBufferImage());
}

// Folders whose names no single ANSI code page holds, through the file choosers: the names reach
// the file routines whole, the system's reasons come back whole, and the status line shows the
// system's separators.
TEST_F(QuarrowDlgTest, SavesAndOpensInFoldersNamedInAnyScript) {
  Make();
  Connect();
  ReadToTheEnd();
  QTemporaryDir root;
  for (const char* name : {"Папка", "Šimon", "表"}) {
    const QString folder = root.filePath(QString::fromUtf8(name));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString file = folder + QStringLiteral("/w2.prm");
    services.saveAnswers.push_back(file);
    dlg->OnBnClickedSaveData();
    EXPECT_EQ(dlg->StatusText(), QString(res::kSavedTo) + QDir::toNativeSeparators(file));
    services.openAnswers.push_back(file);
    dlg->OnBnClickedOpenFile();
    EXPECT_EQ(BufferText(), kSampleText);
    EXPECT_EQ(dlg->StatusText(), QString(res::kOpenedFile) + QDir::toNativeSeparators(file));
  }
  EXPECT_TRUE(services.boxes.empty()) << services.boxes.front().text.toStdString();

  // The save names the missing folder in its reason.
  services.saveAnswers.push_back(root.filePath(QStringLiteral("Папка/нет/w2.prm")));
  dlg->OnBnClickedSaveData();
  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_TRUE(services.boxes[0].text.contains(QStringLiteral(": folder ") +
                                              QDir::toNativeSeparators(root.filePath(QStringLiteral("Папка/нет")))))
      << services.boxes[0].text.toStdString();
}

// A table named in the environment by a name no single ANSI code page holds: read by that name, and
// named whole in the box that says it cannot be used.
TEST(KnownDumpsFromEnvironment, ATableThatCannotBeUsedIsNamedWholeInTheBox) {
  QTemporaryDir root;
  ASSERT_TRUE(QDir().mkdir(root.filePath(QStringLiteral("Папка"))));
  const QString table = QDir::toNativeSeparators(root.filePath(QStringLiteral("Папка/таблица.tsv")));
  QFile file(table);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("set\ttitle\n");
  file.close();
#ifdef _WIN32
  _wputenv_s(L"QUARROW_KNOWN_DUMPS", table.toStdWString().c_str());
#else
  qputenv("QUARROW_KNOWN_DUMPS", table.toUtf8());
#endif
  QString problem;
  const bool loaded = KnownDumpsFromEnvironment(problem).has_value();
#ifdef _WIN32
  _wputenv_s(L"QUARROW_KNOWN_DUMPS", L"");
#else
  qunsetenv("QUARROW_KNOWN_DUMPS");
#endif
  EXPECT_FALSE(loaded);
  EXPECT_TRUE(problem.startsWith(QString(res::kCantReadKnownDumps) + table + QStringLiteral(":1:")))
      << problem.toStdString();
}

TEST_F(QuarrowDlgTest, ClosingDuringAReadStopsItAndClosesWhenTheWorkerIsDone) {
  GatedWait gate(50);
  wait = std::ref(gate);
  Make();
  dlg->show();
  Connect();
  QList<int> positions;
  QObject::connect(Control<QProgressBar>("IDC_PROGRESS"), &QProgressBar::valueChanged,
                   [&](int value) { positions.append(value); });
  Control<QPushButton>("IDC_READ_CHIP")->click();
  ASSERT_TRUE(PumpUntil([&] { return gate.Held(); }));

  EXPECT_FALSE(dlg->close()) << "the close waits for the worker";
  EXPECT_TRUE(dlg->isVisible());
  gate.Release();
  ASSERT_TRUE(PumpUntil([&] { return !dlg->isVisible(); }));
  EXPECT_EQ(dlg->result(), QDialog::Rejected);
  EXPECT_FALSE(dlg->Reading());
  EXPECT_EQ(dlg->StatusText(), res::kReadStopped);
  EXPECT_LT(positions.back(), 128) << "stopped at a bit boundary, not read to the end";
  EXPECT_TRUE(services.boxes.empty());
}

// Another X client destroying the window during a read: the read stops at its next bit and the
// window ends, as with the close box. (tests/cli's WindowDestroyed runs the idle case on a real X
// server.)
TEST_F(QuarrowDlgTest, DestroyedByAnotherXClientDuringAReadStopsTheReadAndEnds) {
  GatedWait gate(50);
  ASSERT_NO_FATAL_FAILURE(StartHeldRead(gate));

  DestroyedWindowWatch watch(*dlg);
  // X11's DestroyNotify as xcb delivers it: type 17, sequence, event window, window.
  struct {
    std::uint8_t type = 17, pad = 0;
    std::uint16_t sequence = 0;
    std::uint32_t event = 0, window = 0;
  } destroyed;
  destroyed.event = destroyed.window = static_cast<std::uint32_t>(dlg->internalWinId());
  ASSERT_NE(destroyed.window, 0u);
  watch.nativeEventFilter("xcb_generic_event_t", &destroyed, nullptr);
  gate.Release();
  ASSERT_TRUE(PumpUntil([&] { return !dlg->isVisible(); }));
  EXPECT_EQ(dlg->StatusText(), res::kReadStopped);
  EXPECT_FALSE(dlg->Reading());
}

// The order in which a close during a read used to hang for good: the close is asked for, the
// read's last notification arrives, a click queued behind it would start a new read, and then the
// close waits for that read while the read waits for the window.
TEST_F(QuarrowDlgTest, ACloseDuringAReadAlwaysFinishesWhateverIsClickedMeanwhile) {
  GatedWait gate(2);  // the second reset wait, so the stop is seen before the first bit
  ASSERT_NO_FATAL_FAILURE(StartHeldRead(gate));
  EXPECT_FALSE(dlg->close());
  gate.Release();
  // Delivers the read's done notification alone: events posted while it runs, such as the close
  // it queues, wait for the next pass.
  ASSERT_TRUE(PumpUntil([&] { return !dlg->Reading(); },
                        [&] { QCoreApplication::sendPostedEvents(dlg.get(), QEvent::MetaCall); }));
  EXPECT_FALSE(ActionsEnabled());
  EXPECT_FALSE(ExitAndAboutEnabled());
  EXPECT_FALSE(ConnectEnabled());

  Control<QPushButton>("IDC_READ_CHIP")->click();
  dlg->OnBnClickedReadChip();  // however the click reaches the handler
  ASSERT_FALSE(dlg->Reading()) << "a read started after the close was asked for";
  ASSERT_TRUE(PumpUntil([&] { return !dlg->isVisible(); }));
  EXPECT_EQ(dlg->result(), QDialog::Rejected);
  EXPECT_EQ(dlg->StatusText(), res::kReadStopped);
  EXPECT_EQ(record.PinWrites(), 2) << "only the reset of the one read was clocked";
}

TEST_F(QuarrowDlgTest, DestroyingTheWindowDuringAReadStopsAndEndsTheRead) {
  // A millisecond a wait: a whole read takes at least 386 ms, far longer than the window lives.
  wait = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
  Make();
  Connect();
  Control<QPushButton>("IDC_READ_CHIP")->click();
  ASSERT_TRUE(PumpUntil([&] { return Control<QProgressBar>("IDC_PROGRESS")->value() >= 5; }));
  dlg.reset();
  const int writes = record.PinWrites();
  EXPECT_LT(writes, 2 + 3 * PromImage::kBits) << "the read went on after the window was gone";
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(record.PinWrites(), writes) << "a worker still drives the pins";
  // The window that opened the programmer closes it, once the read has stopped.
  EXPECT_FALSE(connection.Connected());
  Connection again(sim);
  EXPECT_TRUE(again.Connect(EntryForSerial(kSimulatedSerial), {}).ok) << "the programmer is still open";
}

TEST_F(QuarrowDlgTest, EscapeEnterInADataBoxAndExitEndTheWindow) {
  struct Case {
    const char* what;
    std::function<void(CQuarrowDlg&)> act;
    int result;
  };
  const Case cases[] = {
      {"Escape", [](CQuarrowDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected},
      {"Enter in the chip box",
       [](CQuarrowDlg& d) { QTest::keyClick(d.findChild<QLineEdit*>("IDC_CHIP_DATA"), Qt::Key_Enter); },
       QDialog::Accepted},
      {"Exit", [](CQuarrowDlg& d) { d.MenuItem(res::ID_FILE_EXIT)->trigger(); }, QDialog::Rejected},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Make();
    dlg->show();
    dlg->setResult(-1);
    c.act(*dlg);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), c.result);
  }
}

// Pixels of `box` that change when its text goes from empty to `text`: none means the text is not
// drawn, whatever the box reports as its contents.
int PixelsTheTextChanges(QLineEdit* box, const QString& text) {
  box->clear();
  const QImage empty = box->grab().toImage();
  box->setText(text);
  box->setCursorPosition(0);
  const QImage shown = box->grab().toImage();
  int changed = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) changed += shown.pixel(x, y) != empty.pixel(x, y);
  return changed;
}

TEST_F(QuarrowDlgTest, EveryTextBoxDrawsItsTextTheDataBoxesMonospaced) {
  Make();
  dlg->show();
  const std::pair<const char*, QLineEdit*> boxes[] = {
      {"IDC_CHIP_DATA", Control<QLineEdit>("IDC_CHIP_DATA")},
      {"IDC_BUFFER_DATA", Control<QLineEdit>("IDC_BUFFER_DATA")},
      {"IDC_DEVICES", Control<QComboBox>("IDC_DEVICES")->lineEdit()}};
  for (const auto& [name, box] : boxes) {
    SCOPED_TRACE(name);
    // Well over a few pixels for each of the 33 characters.
    EXPECT_GT(PixelsTheTextChanges(box, QString::fromLatin1(kSampleText)), 100);
  }
  const QFontInfo dataFont(boxes[0].second->font());
  EXPECT_TRUE(dataFont.fixedPitch()) << dataFont.family().toStdString();
}

TEST_F(QuarrowDlgTest, EnterPressesTheFocusedButtonAndConnectsFromTheDeviceList) {
  Make();
  dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
  auto* devices = Control<QComboBox>("IDC_DEVICES");
  devices->setFocus();
  QTest::keyClick(devices, Qt::Key_Return);
  EXPECT_EQ(dlg->StatusText(), res::kConnected);
  devices->setEditText(QStringLiteral("TYPED123"));
  QTest::keyClick(devices->lineEdit(), Qt::Key_Enter);
  EXPECT_EQ(record.Opens().back().serial, "TYPED123");
  ASSERT_TRUE(dlg->isVisible());
  devices->setCurrentIndex(0);
  Connect();

  struct Case {
    const char* control;
    std::function<std::size_t()> effects;
  };
  const Case cases[] = {
      {"IDC_CONNECT", [&] { return record.Opens().size(); }},
      {"IDC_READ_CHIP", [&] { return static_cast<std::size_t>(dlg->Reading()); }},
      {"IDC_SAVE_DATA", [&] { return services.owners.size(); }},
      {"IDC_OPEN_FILE", [&] { return services.owners.size(); }},
      {"IDC_COMPARE", [&] { return services.boxes.size(); }},
      {"IDC_DONATE", [&] { return services.urls.size(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    QWidget* control = Control<QWidget>(c.control);
    control->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(control->hasFocus());
    const std::size_t before = c.effects();
    QTest::keyClick(control, Qt::Key_Return);
    EXPECT_EQ(c.effects(), before + 1);
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_TRUE(PumpUntil([&] { return !dlg->Reading(); }));
    EXPECT_EQ(dlg->focusWidget(), control) << "Enter again does the same";
  }
}

TEST_F(QuarrowDlgTest, KeysPressedDuringAReadStartNothingAndOpenNothing) {
  GatedWait gate(200);
  wait = std::ref(gate);
  services.throughDesktop = true;
  DesktopUrlCounter desktop;
  for (const char* scheme : {"http", "https", "mailto"}) {
    QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktop, "open");
  }
  Make();
  dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
  Connect();
  auto* readChip = Control<QPushButton>("IDC_READ_CHIP");
  readChip->setFocus(Qt::TabFocusReason);
  const int writesBefore = record.PinWrites();

  QTest::keyClick(readChip, Qt::Key_Return);
  ASSERT_TRUE(dlg->Reading());
  ASSERT_TRUE(PumpUntil([&] { return gate.Held(); }));
  EXPECT_EQ(QApplication::focusWidget(), Control<QLineEdit>("IDC_CHIP_DATA"));
  for (int round = 0; round < 6; ++round) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Space, Qt::Key_Enter}) {
      QWidget* focus = QApplication::focusWidget();
      ASSERT_NE(focus, nullptr);
      QTest::keyClick(focus, key);
    }
  }
  gate.Release();
  ASSERT_TRUE(PumpUntil([&] { return !dlg->Reading(); }));

  EXPECT_EQ(desktop.opened, 0);
  EXPECT_TRUE(services.urls.empty());
  EXPECT_TRUE(services.owners.empty()) << "a box or file chooser was opened";
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(dlg->StatusText(), res::kReadComplete);
  EXPECT_EQ(record.PinWrites() - writesBefore, 2 + 3 * PromImage::kBits) << "one read, and only one";
  EXPECT_EQ(QApplication::focusWidget(), readChip) << "Enter reads again";

  // The counter does see what is handed to the desktop: the donation picture still opens its page.
  QTest::mouseClick(Control<QLabel>("IDC_DONATE"), Qt::LeftButton);
  EXPECT_EQ(desktop.opened, 1);
  for (const char* scheme : {"http", "https", "mailto"}) QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

TEST_F(QuarrowDlgTest, TheDataTextGrowsWithTheWindowFontAndStaysWhole) {
  const QFont saved = QApplication::font();
  struct Case {
    double points;
    int dataPixels;
  };
  // 9 points is the size Windows and Qt give a window by default: there the data keeps its 10 pixels.
  for (const Case c : {Case{9, 10}, Case{16, 18}}) {
    SCOPED_TRACE(c.points);
    QFont font = saved;
    font.setPointSizeF(c.points);
    QApplication::setFont(font);
    Make();
    dlg->show();
    QLineEdit* box = Control<QLineEdit>("IDC_CHIP_DATA");
    EXPECT_EQ(QFontInfo(box->font()).pixelSize(), c.dataPixels);
    // All 33 characters at once: with the cursor after the last, the first is still in view.
    box->setText(QString::fromLatin1(kSampleText));
    box->setCursorPosition(static_cast<int>(box->text().size()));
    EXPECT_EQ(box->cursorPositionAt(QPoint(box->contentsRect().left() + 4, box->height() / 2)), 0);
  }
  QApplication::setFont(saved);
}

TEST_F(QuarrowDlgTest, TheDeviceListShowsTheStartOfItsEntryFromTheFirstPaint) {
  Attach({Record("AB123456", "a description far too long for the box to show it whole")});
  Make();
  dlg->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  QLineEdit* edit = Control<QComboBox>("IDC_DEVICES")->lineEdit();
  ASSERT_TRUE(edit->hasFocus());
  EXPECT_EQ(edit->selectedText(), edit->text()) << "typing still replaces the entry";
  EXPECT_EQ(edit->cursorPosition(), 0);
  EXPECT_LT(edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().x(), edit->width() / 4)
      << "the view is scrolled to the end of the entry";
}

TEST_F(QuarrowDlgTest, DroppingTheListDownListsTheProgrammersAgainKeepingTheChosenOne) {
  Attach({Record("B0000002", "second")});
  Make();
  auto* devices = Control<QComboBox>("IDC_DEVICES");
  auto dropDown = [&] {
    devices->showPopup();
    devices->hidePopup();
  };
  auto entries = [&] {
    QStringList texts;
    for (int i = 0; i < devices->count(); ++i) texts << devices->itemText(i);
    return texts;
  };

  // Plugged in after start-up, and sorting first.
  Attach({Record("B0000002", "second"), Record("A0000001", "first")});
  dropDown();
  EXPECT_EQ(entries(), QStringList({"A0000001 - first", "B0000002 - second"}));
  EXPECT_EQ(devices->currentText(), "B0000002 - second");
  devices->setCurrentIndex(0);
  Connect();
  EXPECT_EQ(record.Opens().back().serial, "A0000001");

  // The chosen programmer pulled out: the first entry, as at start-up. Typed text stays.
  Attach({Record("C0000003", "third"), Record("B0000002", "second")});
  dropDown();
  EXPECT_EQ(entries(), QStringList({"B0000002 - second", "C0000003 - third"}));
  EXPECT_EQ(devices->currentIndex(), 0);
  devices->setEditText(QStringLiteral("TYPED123"));
  Attach({Record("C0000003", "third")});
  dropDown();
  EXPECT_EQ(entries(), QStringList({"C0000003 - third"}));
  EXPECT_EQ(devices->currentText(), "TYPED123");
}

}  // namespace
}  // namespace quarrow

#include "QuarrowDlgTest.moc"
