// SPDX-License-Identifier: GPL-3.0-or-later
// The "Programmer wiring" dialog from the main window: reachable by keyboard, remembered per
// programmer across a restart, applied at the next Connect, and its wiring check.
#include <QApplication>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "AppTestSupport.h"
#include "QuarrowDlg.h"
#include "Resources.h"
#include "SimulatedWindowState.h"
#include "Texts.h"
#include "WiringDialog.h"
#include "WiringFile.h"
#include "WiringText.h"

namespace quarrow {
namespace {

using testing::FakeDialogServices;
using testing::ChoosePins;
using testing::In;
using testing::PumpUntil;

class WiringDialogTest : public ::testing::Test, protected testing::SimulatedWindowState {
 protected:
  CQuarrowDlg& Make() {
    QuarrowDlgContext context = Context(services, [](int) {});
    context.wiringFile = WiringFile();
    context.legacyWiringSettings = settingsDir.filePath(QStringLiteral("quarrow.ini"));
    dlg = std::make_unique<CQuarrowDlg>(std::move(context));
    return *dlg;
  }
  void InDialog(const std::function<void(CWiringDialog&)>& act) { testing::InWiringDialog(*dlg, act); }
  // A board wired to RTS, CTS and DCD through an inverter.
  static SimulatedOptions RtsBoard() {
    SimulatedOptions board;
    board.wiring = ParsePinAssignment("clock=D2,reset=D3,data=D6").assignment.value();
    board.wiring.invertData = true;
    return board;
  }
  QString Connect() {
    In<QPushButton>(*dlg, "IDC_CONNECT")->click();
    return dlg->StatusText();
  }

  std::filesystem::path WiringFile() const {
    return std::filesystem::path(settingsDir.filePath(QStringLiteral("wiring.conf")).toStdU16String());
  }

  QTemporaryDir settingsDir;
  FakeDialogServices services;
  std::unique_ptr<CQuarrowDlg> dlg;
};

TEST_F(WiringDialogTest, EveryControlIsReachableByKeyboard) {
  Make();
  EXPECT_TRUE(dlg->MenuItem(res::ID_FILE_WIRING)->text().contains(QLatin1Char('&')));
  EXPECT_TRUE(dlg->MenuItem(res::ID_FILE_WIRING)->isEnabled()) << "chosen before Connect";
  InDialog([](CWiringDialog& d) {
    for (const char* name : {res::kWiringClockName, res::kWiringResetName, res::kWiringDataName}) {
      QComboBox* list = In<QComboBox>(d, name);
      bool labelled = false;
      for (QLabel* label : d.findChildren<QLabel*>()) {
        labelled = labelled || (label->buddy() == list && label->text().contains(QLatin1Char('&')));
      }
      EXPECT_TRUE(labelled) << name << " has no label with a mnemonic";
    }
    for (QWidget* control : std::initializer_list<QWidget*>{
             In<QCheckBox>(d, res::kWiringInvertName), In<QPushButton>(d, res::kWiringDefaultName),
             In<QPushButton>(d, res::kWiringCheckName)}) {
      EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus) << control->objectName().toStdString();
      EXPECT_TRUE(qobject_cast<QAbstractButton*>(control)->text().contains(QLatin1Char('&')));
    }
    // The dialog opens with the keyboard on the first list.
    EXPECT_EQ(d.focusWidget(), In<QComboBox>(d, res::kWiringClockName));
    // A screen reader hears what each control is for, the result box by name, and the hint as text.
    for (const char* name : {res::kWiringClockName, res::kWiringResetName, res::kWiringDataName,
                             res::kWiringInvertName, res::kWiringDefaultName, res::kWiringCheckName,
                             res::kWiringReportName}) {
      EXPECT_FALSE(In<QWidget>(d, name)->accessibleDescription().isEmpty()) << name;
    }
    EXPECT_EQ(In<QPlainTextEdit>(d, res::kWiringReportName)->accessibleName(), QStringLiteral("Check result"));
    EXPECT_EQ(In<QLabel>(d, res::kWiringHintName)->text(), QString::fromUtf8(res::kWiringApplies));
  });
}

TEST_F(WiringDialogTest, ListsEachPinOfTheChosenProgrammerUnderItsBoardName) {
  SimulatedOptions board;
  board.chip = FtdiChip::FT2232H;
  sim.SetOptions(board);
  Make();
  InDialog([](CWiringDialog& d) {
    EXPECT_EQ(In<QComboBox>(d, res::kWiringDataName)->itemText(4), QStringLiteral("D4 (ADBUS4)"));
  });
}

TEST_F(WiringDialogTest, ACh341aOffersItsSocketNamesAndNotItsInputOnlyPinsForClockAndReset) {
  SimulatedOptions board;
  board.family = SimulatedFamily::Ch341a;
  board.wiring = ParsePinAssignment("clock=D3,reset=D0,data=D7").assignment.value();
  sim.SetOptions(board);
  Make();
  InDialog([](CWiringDialog& d) {
    auto* clock = In<QComboBox>(d, res::kWiringClockName);
    auto* data = In<QComboBox>(d, res::kWiringDataName);
    EXPECT_EQ(clock->count(), 6) << "D6 and D7 only read";
    EXPECT_EQ(clock->itemText(3), QStringLiteral("D3/CLK"));
    EXPECT_EQ(data->itemText(7), QStringLiteral("D7/MISO"));
    ChoosePins(d, 3, 0, 7, false);
    d.accept();
  });
  EXPECT_EQ(Connect(), QStringLiteral("Connected to programmer - Pin assignment in use: clock=D3,reset=D0,data=D7"));
}

TEST_F(WiringDialogTest, TheChoiceSurvivesARestartAndTakesEffectAtTheNextConnect) {
  const SimulatedOptions board = RtsBoard();
  sim.SetOptions(board);

  Make();
  InDialog([](CWiringDialog& d) {
    ChoosePins(d, 2, 3, 6, true);
    d.accept();
  });
  dlg.reset();  // a restart: the choice lives only in the wiring file, as quarrow-cli reads it
  StoredWirings stored;
  WiringFileProblem error;
  ASSERT_TRUE(LoadWirings(WiringFile(), stored, error)) << WiringFileProblemText(error);
  EXPECT_EQ(stored.For(kSimulatedSerial), board.wiring);

  Make();
  EXPECT_EQ(Connect(), QStringLiteral("Connected to programmer - Pin assignment in use: "
                                      "clock=D2,reset=D3,data=D6, data inverted"));
  EXPECT_EQ(record.OutputMasks().front(), 0x0C);
  In<QPushButton>(*dlg, "IDC_READ_CHIP")->click();
  ASSERT_TRUE(PumpUntil([&] { return !dlg->Reading(); }));
  EXPECT_EQ(In<QLineEdit>(*dlg, "IDC_CHIP_DATA")->text(), QStringLiteral("0123456789ABCDEF FEDCBA9876543210"));

  // The default button brings back the original board, which is then no longer remembered.
  InDialog([](CWiringDialog& d) {
    In<QPushButton>(d, res::kWiringDefaultName)->click();
    EXPECT_TRUE(d.Chosen().IsDefault());
    d.accept();
  });
  EXPECT_EQ(Connect(), QString::fromUtf8(res::kConnected));
}

TEST_F(WiringDialogTest, QuarrowPinsIsTheDefaultOfAProgrammerWithoutAChoice) {
  qputenv(res::kPinsVariable, "clock=RTS,reset=CTS,data=DCD");
  Make();
  const QString status = Connect();
  InDialog([](CWiringDialog& d) {
    In<QPushButton>(d, res::kWiringDefaultName)->click();
    EXPECT_EQ(d.Chosen().Text(), "clock=D2,reset=D3,data=D6");
  });
  qunsetenv(res::kPinsVariable);
  EXPECT_TRUE(status.endsWith(QStringLiteral("clock=D2,reset=D3,data=D6"))) << status.toStdString();
}

TEST_F(WiringDialogTest, CheckWiringRunsOnTheConnectedProgrammerWithTheChosenPins) {
  Make();
  InDialog([](CWiringDialog& d) {
    EXPECT_FALSE(In<QPushButton>(d, res::kWiringCheckName)->isEnabled()) << "not connected";
  });
  Connect();
  InDialog([](CWiringDialog& d) {
    In<QPushButton>(d, res::kWiringCheckName)->click();
    EXPECT_TRUE(In<QPlainTextEdit>(d, res::kWiringReportName)->toPlainText().endsWith(res::kWiringPlausible));
    ChoosePins(d, 2, 3, 6, false);
    In<QPushButton>(d, res::kWiringCheckName)->click();
    EXPECT_TRUE(In<QPlainTextEdit>(d, res::kWiringReportName)->toPlainText().contains(res::kWiringFaulty));
    // Two lines on one pin cannot be chosen.
    ChoosePins(d, 2, 2, 6, false);
    EXPECT_FALSE(d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
  });
  // The check leaves the programmer set up for the wiring in use, and drove no pin but the clock and
  // reset pins of the wirings it checked (D0, D1; D2, D3).
  EXPECT_EQ(record.OutputMasks().back(), 0x03);
  EXPECT_EQ(record.DrivenPins(), 0x0F);
}

TEST_F(WiringDialogTest, OkOnTheConnectedProgrammerConnectsItAgainAndANoProgrammerChoiceIsTheDefault) {
  const SimulatedOptions board = RtsBoard();
  sim.SetOptions(board);
  Make();
  Connect();
  InDialog([](CWiringDialog& d) {
    EXPECT_EQ(In<QLabel>(d, res::kWiringHintName)->text(), QString::fromUtf8(res::kWiringAppliesNow));
    ChoosePins(d, 2, 3, 6, true);
    d.accept();
  });
  EXPECT_EQ(dlg->StatusText(), QStringLiteral("Connected again with the new wiring - Pin assignment in use: "
                                              "clock=D2,reset=D3,data=D6, data inverted"));
  ASSERT_FALSE(record.OutputMasks().empty());
  EXPECT_EQ(record.OutputMasks().back(), 0x0C);
  In<QPushButton>(*dlg, "IDC_READ_CHIP")->click();
  ASSERT_TRUE(PumpUntil([&] { return !dlg->Reading(); }));
  EXPECT_EQ(In<QLineEdit>(*dlg, "IDC_CHIP_DATA")->text(), QStringLiteral("0123456789ABCDEF FEDCBA9876543210"));

  // With no programmer chosen, the wiring is every programmer's default, used at the next Connect.
  InDialog([](CWiringDialog& d) { In<QPushButton>(d, res::kWiringDefaultName)->click(); d.accept(); });
  auto* devices = In<QComboBox>(*dlg, "IDC_DEVICES");
  devices->setCurrentIndex(-1);
  devices->setEditText(QString());
  InDialog([](CWiringDialog& d) {
    ChoosePins(d, 1, 0, 5, false);
    d.accept();
  });
  devices->setCurrentIndex(0);
  EXPECT_TRUE(Connect().endsWith(QStringLiteral("clock=D1,reset=D0,data=D5"))) << dlg->StatusText().toStdString();
}

TEST_F(WiringDialogTest, AChipWithFourPinsOffersThoseAndShowsWhySelftestWouldRefuseAnother) {
  SimulatedOptions board;
  board.chip = FtdiChip::FT230X;
  board.devices = {{"QS\xFF" "1", "FT230X Basic UART", FtdiChip::FT230X}};
  sim.SetOptions(board);
  Make();
  // A serial that is not UTF-8 is spelled one way in the list, the dialog and the file.
  EXPECT_TRUE(In<QComboBox>(*dlg, "IDC_DEVICES")->currentText().startsWith(QStringLiteral("QS\\xFF1 - ")));
  InDialog([](CWiringDialog& d) {
    bool named = false;
    for (QLabel* label : d.findChildren<QLabel*>()) named = named || label->text().endsWith(QStringLiteral("QS\\xFF1"));
    EXPECT_TRUE(named);
    EXPECT_EQ(In<QComboBox>(d, res::kWiringDataName)->count(), 4);
    EXPECT_EQ(d.Chosen().data, -1) << "D4 is not on this chip";
    EXPECT_FALSE(d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
    bool said = false;
    for (QLabel* label : d.findChildren<QLabel*>()) said = said || label->text().startsWith(QStringLiteral("the FT230X has the bit-bang pins D0-D3 only"));
    EXPECT_TRUE(said);
    ChoosePins(d, 0, 1, 3, false);
    d.accept();
  });
  StoredWirings stored;
  WiringFileProblem error;
  ASSERT_TRUE(LoadWirings(WiringFile(), stored, error)) << WiringFileProblemText(error);
  EXPECT_EQ(stored.bySerial.count("QS\\xFF1"), 1u);
  EXPECT_EQ(Connect(), QStringLiteral("Connected to programmer - Pin assignment in use: clock=D0,reset=D1,data=D3"));
}

TEST_F(WiringDialogTest, WhatKeepsAWiringFromBeingUsedIsSaidAtStart) {
  // An earlier version's wirings come over once, its default for all programmers with them.
  {
    QSettings legacy(settingsDir.filePath(QStringLiteral("quarrow.ini")), QSettings::IniFormat);
    legacy.setValue(QStringLiteral("wiring/QSIM0001/pins"), QStringLiteral("clock=D2,reset=D3,data=D6"));
    legacy.setValue(QStringLiteral("wiring/pins"), QStringLiteral("clock=D1,reset=D0,data=D5"));
  }
  Make();
  EXPECT_TRUE(services.boxes.empty());
  StoredWirings stored;
  WiringFileProblem error;
  ASSERT_TRUE(LoadWirings(WiringFile(), stored, error)) << WiringFileProblemText(error);
  EXPECT_EQ(stored.Own(kSimulatedSerial)->Text(), "clock=D2,reset=D3,data=D6");
  EXPECT_EQ(stored.forAll->Text(), "clock=D1,reset=D0,data=D5");
  EXPECT_TRUE(QSettings(settingsDir.filePath(QStringLiteral("quarrow.ini")), QSettings::IniFormat).allKeys().isEmpty());

  // A damaged file: said at start, and Connect does not guess.
  dlg.reset();
  QFile file(settingsDir.filePath(QStringLiteral("wiring.conf")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[serial QSIM0001]\npins = clock=D0,reset=D1,data=D8\n");
  file.close();
  qputenv(res::kPinsVariable, "clock=D0");
  Make();
  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_TRUE(services.boxes[0].text.startsWith(QStringLiteral("Can't read the stored wirings - ") +
                                                file.fileName() + QStringLiteral(":2: unknown pin \"D8\"")))
      << services.boxes[0].text.toStdString();
  // ... as is a QUARROW_PINS that is no assignment, in the wiring dialog too.
  EXPECT_TRUE(services.boxes[0].text.contains(QStringLiteral("\n\nQUARROW_PINS: ")));
  qputenv(res::kPinsVariable, "clock=D0,reset=D1,data=D4");
  Connect();
  EXPECT_EQ(services.boxes.size(), 1u) << "QUARROW_PINS makes the file unnecessary";
  qputenv(res::kPinsVariable, "clock=D0");
  file.remove();
  InDialog([](CWiringDialog& d) {
    bool said = false;
    for (QLabel* label : d.findChildren<QLabel*>()) said = said || label->text().startsWith(QStringLiteral("QUARROW_PINS: "));
    EXPECT_TRUE(said);
  });
  qunsetenv(res::kPinsVariable);
#ifndef _WIN32
  // A FIFO where a settings file should be: said, and neither program waits for a writer.
  dlg.reset();
  services.boxes.clear();
  ASSERT_TRUE(QFile::remove(settingsDir.filePath(QStringLiteral("quarrow.ini"))));
  ASSERT_EQ(::mkfifo(QFile::encodeName(settingsDir.filePath(QStringLiteral("quarrow.ini"))).constData(), 0600), 0);
  ASSERT_EQ(::mkfifo(WiringFile().c_str(), 0600), 0);
  Make();
  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_TRUE(services.boxes[0].text.endsWith(QStringLiteral("wiring.conf: it is not a regular file (mend or remove the file)")))
      << services.boxes[0].text.toStdString();
  ASSERT_TRUE(QFile::remove(settingsDir.filePath(QStringLiteral("wiring.conf"))));
  dlg.reset();
  services.boxes.clear();
  Make();
  ASSERT_EQ(services.boxes.size(), 1u);
  EXPECT_TRUE(services.boxes[0].text.endsWith(QStringLiteral("quarrow.ini: it is not a regular file")));
#endif
}

TEST_F(WiringDialogTest, CheckWiringDrawsItsPinTraceAndSaysItInWords) {
  Make();
  Connect();
  InDialog([](CWiringDialog& d) {
    auto* trace = In<QWidget>(d, res::kTraceViewName);
    EXPECT_EQ(trace->accessibleName(), QString::fromUtf8(res::kTraceViewAccessibleName));
    EXPECT_EQ(trace->accessibleDescription(), QString::fromUtf8(res::kTraceViewEmpty));
    In<QPushButton>(d, res::kWiringCheckName)->click();
    // Each pass reads the data line once in its reset, then before and inside each clock pulse:
    // the sample chip's bits 1000 0000 1100 0100 once each, the next bit showing inside a pulse.
    EXPECT_EQ(trace->accessibleDescription(),
              QStringLiteral("Pin trace of the check, 680 ms: clock (D0) 20 low pulses; reset (D1) 2 "
                             "high pulses; data (D4) 42 samples, read as 1 1 0 0 0 0 0 0, 0 0 0 0 0 0 "
                             "0 0, 1 1 1 1 0 0 0 0, 0 0 1 1 0 0 0 0, 1 1 1 0 0 0 0 0, 0 0"));
  });
}

}  // namespace
}  // namespace quarrow
