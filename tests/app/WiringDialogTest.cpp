// SPDX-License-Identifier: GPL-3.0-or-later
// The "Programmer wiring" dialog from the main window: reachable by keyboard, remembered per
// programmer across a restart, applied at the next Connect, and its wiring check.
#include <QApplication>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "AppTestSupport.h"
#include "QuarrowDlg.h"
#include "Resources.h"
#include "SimulatedWindowState.h"
#include "Strings.h"
#include "TraceTexts.h"
#include "WiringDialog.h"
#include "WiringTexts.h"

namespace quarrow {
namespace {

using testing::FakeDialogServices;
using testing::PumpUntil;

class WiringDialogTest : public ::testing::Test, protected testing::SimulatedWindowState {
 protected:
  CQuarrowDlg& Make() {
    QuarrowDlgContext context = Context(services, [](int) {});
    context.wiringSettingsFile = settingsDir.filePath(QStringLiteral("quarrow.ini"));
    dlg = std::make_unique<CQuarrowDlg>(std::move(context));
    return *dlg;
  }
  // Opens the wiring dialog from the File menu and lets `act` work in it while it is shown.
  void InDialog(const std::function<void(CWiringDialog&)>& act) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<CWiringDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      ran = true;
      act(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    dlg->MenuItem(res::ID_FILE_WIRING)->trigger();
    EXPECT_TRUE(ran);
  }
  template <class T>
  static T* In(QWidget& parent, const char* name) {
    T* widget = parent.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  static void Choose(CWiringDialog& d, int clock, int reset, int data, bool invert) {
    In<QComboBox>(d, res::kWiringClockName)->setCurrentIndex(clock);
    In<QComboBox>(d, res::kWiringResetName)->setCurrentIndex(reset);
    In<QComboBox>(d, res::kWiringDataName)->setCurrentIndex(data);
    In<QCheckBox>(d, res::kWiringInvertName)->setChecked(invert);
  }
  QString Connect() {
    In<QPushButton>(*dlg, "IDC_CONNECT")->click();
    return dlg->StatusText();
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
  });
}

TEST_F(WiringDialogTest, TheChoiceSurvivesARestartAndTakesEffectAtTheNextConnect) {
  SimulatedOptions board;
  board.wiring = ParsePinAssignment("clock=D2,reset=D3,data=D6").assignment.value();
  board.wiring.invertData = true;
  sim.SetOptions(board);

  Make();
  InDialog([](CWiringDialog& d) {
    Choose(d, 2, 3, 6, true);
    d.accept();
  });
  dlg.reset();  // a restart: the choice lives only in the settings file

  Make();
  EXPECT_EQ(Connect(), QStringLiteral("Connected to programmer - Pin assignment in use: "
                                      "clock=D2,reset=D3,data=D6, data inverted"));
  EXPECT_EQ(sim.SetupCalls().front().args, (std::vector<std::uint32_t>{0x0C, 1}));
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
    Choose(d, 2, 3, 6, false);
    In<QPushButton>(d, res::kWiringCheckName)->click();
    EXPECT_TRUE(In<QPlainTextEdit>(d, res::kWiringReportName)->toPlainText().contains(res::kWiringFaulty));
    // Two lines on one pin cannot be chosen.
    Choose(d, 2, 2, 6, false);
    EXPECT_FALSE(d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
  });
  // The check leaves the programmer set up for the wiring in use.
  EXPECT_EQ(sim.SetupCalls().back().args, (std::vector<std::uint32_t>{0xFF, 1}));
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
