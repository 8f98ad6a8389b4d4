// SPDX-License-Identifier: GPL-3.0-or-later
// The window over the programmer libraries the program uses on Linux, each with a stand-in below
// it: an FT232R and a CH341A on a USB bus mocked at usbfs (the real libftdi and libusb; run under
// umockdev-wrapper) and a Raspberry Pi's GPIO header emulated at the kernel's ioctls (the real
// libgpiod), each with an RP5H01 of its own on its pins.
#include <QComboBox>
#include <QPushButton>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "AppTestSupport.h"
#include "FakeCh341a.h"
#include "FakeFt232r.h"
#include "FakeGpioKernel.h"
#include "LinkTestSupport.h"
#include "QuarrowDlg.h"
#include "SystemProgrammers.h"

namespace quarrow {
namespace {

using testing::In;

// A programmer as the device list names it, the PROM on it, and the wiring chosen for it in the
// wiring dialog (none: the board the program was first built for).
struct Board {
  QString entry;
  PromImage prom;
  std::optional<PinAssignment> wiring;
};

TEST(WindowOnEveryFamily, ListsAnFtdiBoardACh341aAndAGpioChipAndReadsThePromOnEachByteExact) {
  // A PROM of its own on each, so that a read through another programmer than the one chosen shows.
  const Board ftdi{QStringLiteral("A1B2C3D4 - FT232R USB UART"), test::ImageWithBits({0, 1, 64}), std::nullopt};
  const Board ch341a{QStringLiteral("1-2 - CH341A (USB UART-LPT)"), test::ImageWithBits({5, 100, 127}),
                     test::Pins("clock=D3,reset=D5,data=D7")};
  const test::GpioChipSpec pi = test::RaspberryPiWithProm(SimulatedSampleImage());
  PinAssignment piLines;
  piLines.clock = pi.clock;
  piLines.reset = pi.reset;
  piLines.data = pi.data;
  const Board gpio{QStringLiteral("gpiochip0 - pinctrl-bcm2711 (54 GPIO lines)"), pi.prom, piLines};

  test::UsbTestbed bed;
  test::Ft232rSpec ft232r;
  ft232r.promWiring = PinAssignment{};
  ft232r.prom = ftdi.prom;
  bed.Add(ft232r);
  test::Ch341aSpec ch341aSpec;
  ch341aSpec.chip = ch341a.prom;
  ch341aSpec.wiring = *ch341a.wiring;
  test::PlugCh341a(bed.Bus(), ch341aSpec);
  test::FakeGpioKernel kernel;
  kernel.Add(pi);

  const std::unique_ptr<IProgrammerLibrary> programmers = CreateSystemProgrammers();
  Connection connection(*programmers);
  PromImage chip;
  PromImage buffer;
  testing::FakeDialogServices services;
  CQuarrowDlg dlg({connection, chip, buffer, services, [](int) {}});

  auto* devices = In<QComboBox>(dlg, "IDC_DEVICES");
  QStringList listed;
  for (int i = 0; i < devices->count(); ++i) listed << devices->itemText(i);
  EXPECT_EQ(listed, (QStringList{ch341a.entry, ftdi.entry, gpio.entry}));

  for (const Board* board : {&ftdi, &ch341a, &gpio}) {
    SCOPED_TRACE(board->entry.toStdString());
    devices->setCurrentIndex(devices->findText(board->entry));
    if (const std::optional<PinAssignment>& pins = board->wiring) {
      testing::InWiringDialog(dlg, [&](CWiringDialog& d) {
        testing::ChoosePins(d, pins->clock, pins->reset, pins->data, false);
        d.accept();
      });
    }
    In<QPushButton>(dlg, "IDC_CONNECT")->click();
    ASSERT_TRUE(dlg.StatusText().startsWith(QString::fromUtf8(res::kConnected)))
        << (services.boxes.empty() ? dlg.StatusText() : services.boxes.back().text).toStdString();
    In<QPushButton>(dlg, "IDC_READ_CHIP")->click();
    // Every pin operation is a round trip through umockdev's thread: slow under a sanitizer.
    ASSERT_TRUE(testing::PumpUntil([&] { return !dlg.Reading(); }, {}, 100000));
    EXPECT_EQ(chip, board->prom) << dlg.StatusText().toStdString();
  }
}

}  // namespace
}  // namespace quarrow
