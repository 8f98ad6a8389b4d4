// SPDX-License-Identifier: GPL-3.0-or-later
// The libftdi1 back end over real libftdi and libusb, against FT232Rs mocked at the usbfs level:
// listing, opening, the bit-bang set-up requests the chip receives, pin writes and reads, closing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FakeFt232r.h"
#include "libftdi/LibFtdiProgrammers.h"

namespace quarrow {
namespace {

using test::ControlRequest;
using test::FakeFt232r;
using test::Ft232rSpec;
using test::UsbTestbed;

Ft232rSpec WithSerial(std::string serial) {
  Ft232rSpec spec;
  spec.serial = std::move(serial);
  return spec;
}

std::vector<ControlRequest> Since(const FakeFt232r& device, std::size_t from) {
  auto all = device.VendorRequests();
  return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
}

std::unique_ptr<IOpenProgrammer> OpenSerial(LibFtdiProgrammers& library, const std::string& serial,
                                            std::uint8_t outputs = 0xFF) {
  OpenedProgrammer opened = library.Open(ProgrammerChoice::BySerial(serial), outputs);
  EXPECT_TRUE(opened.programmer) << serial << ": " << opened.failure.step << " " << opened.failure.error.words;
  return std::move(opened.programmer);
}

std::vector<std::string> ListedSerials(LibFtdiProgrammers& library) {
  std::vector<std::string> serials;
  for (const FoundProgrammer& p : library.List()) serials.push_back(p.serial);
  std::sort(serials.begin(), serials.end());
  return serials;
}

TEST(LibFtdiListing, ListsEachFt232rWithItsStringsAndPinsWithoutClaimingIt) {
  UsbTestbed bed;
  FakeFt232r& first = bed.Add(WithSerial("A1B2C3D4"));
  Ft232rSpec other = WithSerial("FTX9Y8Z7");
  other.description = "Quarrow programmer";
  FakeFt232r& second = bed.Add(other);
  Ft232rSpec older = WithSerial("BM000001");
  older.bcdDevice = 0x0400;  // FT232BM: the FT232R's product id, not bit-bang capable as the tool needs
  bed.Add(older);

  LibFtdiProgrammers library;
  std::vector<FoundProgrammer> found = library.List();
  EXPECT_FALSE(library.LastError().Failed());
  ASSERT_EQ(found.size(), 2u);
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.serial < b.serial; });
  EXPECT_EQ(found[0].family, "FTDI");
  EXPECT_EQ(found[0].chip, FtdiChip::FT232R);
  EXPECT_EQ(found[0].serial, "A1B2C3D4");
  EXPECT_EQ(found[0].description, "FT232R USB UART");
  EXPECT_EQ(found[0].port, 0);
  EXPECT_EQ(found[0].pinNames, (std::vector<std::string>{"TXD", "RXD", "RTS", "CTS", "DTR", "DSR", "DCD", "RI"}));
  EXPECT_EQ(found[1].serial, "FTX9Y8Z7");
  EXPECT_EQ(found[1].description, "Quarrow programmer");
  // Listing reads strings only; claiming would take the person's serial port away.
  EXPECT_EQ(first.Claims() + second.Claims(), 0);
  EXPECT_TRUE(first.VendorRequests().empty());
}

TEST(LibFtdiListing, ALongSerialIsListedCutAndEitherFormOpens) {
  UsbTestbed bed;
  Ft232rSpec spec = WithSerial("SERIAL-0123456789ABCDEF");
  spec.description = std::string(100, 'd');
  bed.Add(spec);

  LibFtdiProgrammers library;
  const std::vector<FoundProgrammer> found = library.List();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].serial, "SERIAL-01234567");
  EXPECT_EQ(found[0].description, std::string(100, 'd'));
  for (const char* serial : {"SERIAL-0123456789ABCDEF", "SERIAL-01234567"}) {
    EXPECT_TRUE(OpenSerial(library, serial)) << serial;
  }
}

// One device of each FTDI product id with asynchronous bit-bang, told apart by its release and
// product string; a multi-port chip is listed port by port, and each port's pins are its own.
TEST(LibFtdiListing, ListsAndDrivesEveryBitBangChipPortByPort) {
  struct Chip {
    const char* serial;
    const char* description;
    std::uint16_t product, bcdDevice;
    int ports;
  } chips[] = {{"R0000001", "FT245R USB FIFO", 0x6001, 0x0600, 1}, {"FTX1234", "Board", 0x6010, 0x0700, 2},
               {"Q4000001", "Board", 0x6011, 0x0800, 4},           {"H0000001", "Board", 0x6014, 0x0900, 1},
               {"X0000001", "FT231X USB UART", 0x6015, 0x1000, 1}};
  UsbTestbed bed;
  std::vector<FakeFt232r*> devices;
  for (const Chip& chip : chips) {
    Ft232rSpec spec = WithSerial(chip.serial);
    spec.product = chip.product;
    spec.bcdDevice = chip.bcdDevice;
    spec.interfaces = chip.ports;
    spec.description = chip.description;
    devices.push_back(&bed.Add(spec));
  }

  LibFtdiProgrammers library;
  std::vector<std::string> listed;
  for (const FoundProgrammer& p : library.List()) {
    listed.push_back(p.serial + " " + p.description + " " + FactsOf(*p.chip).name + " " + PortLetter(p.port) + " " +
                     p.pinNames.front());
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{
                        "FTX1234A Board A FT2232H A ADBUS0", "FTX1234B Board B FT2232H B BDBUS0",
                        "H0000001 Board FT232H A ADBUS0", "Q4000001A Board A FT4232H A ADBUS0",
                        "Q4000001B Board B FT4232H B BDBUS0", "Q4000001C Board C FT4232H C CDBUS0",
                        "Q4000001D Board D FT4232H D DDBUS0", "R0000001 FT245R USB FIFO FT245R A D0",
                        "X0000001 FT231X USB UART FT231X A TXD"}));

  // Both ports of the FT2232H open at once, each writing and reading its own pins.
  const std::pair<const char*, int> ports[] = {{"FTX1234A", 0}, {"FTX1234B", 1}, {"H0000001", 0},
                                               {"Q4000001C", 2}, {"X0000001", 0}};
  std::vector<std::unique_ptr<IOpenProgrammer>> open;
  for (const auto& [serial, port] : ports) {
    open.push_back(OpenSerial(library, serial, 0x0C));
    ASSERT_TRUE(open.back());
    const std::uint8_t byte = static_cast<std::uint8_t>(0x10 + port);
    EXPECT_TRUE(open.back()->WritePins(byte));
    std::uint8_t pins = 0;
    EXPECT_TRUE(open.back()->ReadPins(pins));
    EXPECT_EQ(pins, byte) << serial;
  }
  EXPECT_EQ(devices[1]->BulkWritten(0), std::vector<std::uint8_t>{0x10});
  EXPECT_EQ(devices[1]->BulkWritten(1), std::vector<std::uint8_t>{0x11});
  EXPECT_EQ(devices[2]->BulkWritten(2), std::vector<std::uint8_t>{0x12});
  // The direction mask reaches the port it is meant for: interface B is index 2.
  const auto requests = devices[1]->VendorRequests();
  EXPECT_NE(std::find(requests.begin(), requests.end(), ControlRequest{0x40, 0x0B, 0x010C, 2}), requests.end());
}

class LibFtdiSerialLess : public ::testing::TestWithParam<bool> {};

// A device without a readable serial (no string index, or one it refuses to read) is still listed
// with its description, and opens by its place in the list.
TEST_P(LibFtdiSerialLess, IsListedWithItsDescriptionAndOpensByPlace) {
  UsbTestbed bed;
  bed.Add(WithSerial("A1B2C3D4"));
  Ft232rSpec spec;
  spec.serial = std::nullopt;
  spec.serialStalls = GetParam();
  spec.description = "blank programmer";
  FakeFt232r& blank = bed.Add(spec);

  LibFtdiProgrammers library;
  const std::vector<FoundProgrammer> found = library.List();
  ASSERT_EQ(found.size(), 2u);
  const int index = found[0].serial.empty() ? 0 : 1;
  ASSERT_TRUE(found[static_cast<std::size_t>(index)].serial.empty());
  EXPECT_EQ(found[static_cast<std::size_t>(index)].description, "blank programmer");
  EXPECT_EQ(found[static_cast<std::size_t>(index)].chip, FtdiChip::FT232R);

  OpenedProgrammer opened = library.Open(ProgrammerChoice::AtPlace(index), 0xFF);
  ASSERT_TRUE(opened.programmer) << opened.failure.error.words;
  EXPECT_TRUE(opened.programmer->WritePins(0x5A));
  EXPECT_EQ(blank.BulkWritten(), std::vector<std::uint8_t>{0x5A});
}

INSTANTIATE_TEST_SUITE_P(NoStringIndexOrStall, LibFtdiSerialLess, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Stalls" : "NoStringIndex"; });

TEST(LibFtdiOpen, BySerialOpensThatDeviceWhichListingStillShows) {
  UsbTestbed bed;
  FakeFt232r& first = bed.Add(WithSerial("A1B2C3D4"));
  FakeFt232r& second = bed.Add(WithSerial("FTX9Y8Z7"));
  LibFtdiProgrammers library;

  const auto programmer = OpenSerial(library, "FTX9Y8Z7");
  EXPECT_EQ(first.Claims(), 0);
  EXPECT_EQ(second.Claims(), 1);
  EXPECT_EQ(ListedSerials(library), (std::vector<std::string>{"A1B2C3D4", "FTX9Y8Z7"}));
  EXPECT_EQ(second.Claims(), 1);
}

TEST(LibFtdiOpen, AnUnknownSerialOrPlaceIsRefusedNamingIt) {
  UsbTestbed bed;
  FakeFt232r& device = bed.Add(WithSerial("A1B2C3D4"));
  LibFtdiProgrammers library;

  OpenedProgrammer noList = library.Open(ProgrammerChoice::AtPlace(0), 0xFF);  // no list made yet
  EXPECT_FALSE(noList.programmer);
  EXPECT_EQ(noList.failure.error.problem, ProgrammerProblem::NoSuchPlace);
  EXPECT_EQ(noList.failure.fault, ProgrammerFault::NotFound);
  library.List();
  OpenedProgrammer typo = library.Open(ProgrammerChoice::BySerial("A1B2C3D "), 0xFF);
  EXPECT_EQ(typo.failure.error.problem, ProgrammerProblem::NoSuchSerial);
  EXPECT_EQ(typo.failure.error.subject, "A1B2C3D ");
  EXPECT_EQ(typo.failure.error.source, "libftdi");
  EXPECT_EQ(library.LastError().problem, ProgrammerProblem::NoSuchSerial);
  for (int place : {1, -1}) {
    const OpenedProgrammer beyond = library.Open(ProgrammerChoice::AtPlace(place), 0xFF);
    EXPECT_EQ(beyond.failure.error.problem, ProgrammerProblem::NoSuchPlace);
    EXPECT_EQ(beyond.failure.error.subject, std::to_string(place));
  }
  EXPECT_EQ(device.Claims(), 0);
}

// A device another program holds fails in libftdi's own words, naming the call; it does not hide
// the next device with the same serial.
TEST(LibFtdiOpen, ABusyDeviceIsInUseAndDoesNotHideTheNextWithTheSameSerial) {
  UsbTestbed bed;
  Ft232rSpec busy = WithSerial("A1B2C3D4");
  busy.busy = true;
  bed.Add(busy);
  LibFtdiProgrammers library;

  const OpenedProgrammer opened = library.Open(ProgrammerChoice::BySerial("A1B2C3D4"), 0xFF);
  EXPECT_FALSE(opened.programmer);
  EXPECT_EQ(opened.failure.stage, ProgrammerFailure::Stage::Open);
  EXPECT_EQ(opened.failure.step, "ftdi_usb_open_dev");
  EXPECT_EQ(opened.failure.status, -5);
  EXPECT_EQ(opened.failure.fault, ProgrammerFault::NotOpened);
  EXPECT_EQ(opened.failure.error.problem, ProgrammerProblem::InUse);
  EXPECT_NE(opened.failure.error.words.find("unable to claim usb device"), std::string::npos)
      << opened.failure.error.words;

  FakeFt232r& free = bed.Add(WithSerial("A1B2C3D4"));
  EXPECT_TRUE(OpenSerial(library, "A1B2C3D4"));
  EXPECT_EQ(free.Claims(), 1);
}

// A programmer plugged in after the list was made, unplugged, or plugged in again: the open looks
// at what is attached when it is called, and each new list shows the bus as it is.
TEST(LibFtdiReplug, OpenAndListSeeTheDevicesAttachedNow) {
  UsbTestbed bed;
  FakeFt232r& first = bed.Add(WithSerial("A1B2C3D4"));
  LibFtdiProgrammers library;
  EXPECT_EQ(ListedSerials(library), std::vector<std::string>{"A1B2C3D4"});

  FakeFt232r& late = bed.Add(WithSerial("LATE0001"));
  EXPECT_TRUE(OpenSerial(library, "LATE0001"));
  EXPECT_EQ(late.Claims(), 1);

  // Unplugged: neither its serial nor its place in a list made before reaches it.
  const std::vector<FoundProgrammer> found = library.List();
  ASSERT_EQ(found.size(), 2u);
  const int firstPlace = found[0].serial == "A1B2C3D4" ? 0 : 1;
  bed.Remove(first);
  EXPECT_EQ(library.Open(ProgrammerChoice::AtPlace(firstPlace), 0xFF).failure.error.problem, ProgrammerProblem::NoSuchPlace);
  EXPECT_EQ(library.Open(ProgrammerChoice::BySerial("A1B2C3D4"), 0xFF).failure.error.problem, ProgrammerProblem::NoSuchSerial);
  EXPECT_EQ(ListedSerials(library), std::vector<std::string>{"LATE0001"});

  FakeFt232r& again = bed.Add(WithSerial("A1B2C3D4"));
  EXPECT_TRUE(OpenSerial(library, "A1B2C3D4"));
  EXPECT_EQ(again.Claims(), 1);
  EXPECT_EQ(first.Claims(), 0);
}

struct Opened {
  UsbTestbed bed;
  FakeFt232r& device = bed.Add(WithSerial("A1B2C3D4"));
  LibFtdiProgrammers library;
  std::unique_ptr<IOpenProgrammer> programmer = OpenSerial(library, "A1B2C3D4");
};

// 3 MHz / 300 = 10000 is the divisor FTDI's own driver sends for 300 baud, with bit-bang on as it is
// here; the index carries only the divisor's high bits on an FT232R.
TEST(LibFtdiSetUp, OpenSetsBitBangTheDriversDivisorAndResetInThatOrder) {
  UsbTestbed bed;
  FakeFt232r& device = bed.Add(WithSerial("A1B2C3D4"));
  LibFtdiProgrammers library;
  const auto programmer = OpenSerial(library, "A1B2C3D4", 0x07);
  ASSERT_TRUE(programmer);
  const std::vector<ControlRequest> requests = device.VendorRequests();
  const ControlRequest bitBang{0x40, 0x0B, 0x0107, 1};
  const auto setUp = std::find(requests.begin(), requests.end(), bitBang);
  ASSERT_NE(setUp, requests.end());
  const ControlRequest baud300{0x40, 0x03, 0x2710, 0};
  const ControlRequest resetSio{0x40, 0x00, 0x0000, 1};
  EXPECT_EQ(std::vector<ControlRequest>(setUp, requests.end()),
            (std::vector<ControlRequest>{bitBang, baud300, resetSio}));

  // Another set of outputs goes to the chip as a bit mode of its own.
  EXPECT_TRUE(programmer->SetOutputs(0x0B));
  EXPECT_EQ(Since(device, requests.size()), (std::vector<ControlRequest>{{0x40, 0x0B, 0x010B, 1}}));
}

TEST(LibFtdiPins, WritesReachTheBulkEndpointAndReadsReturnTheChipsLevels) {
  Opened o;
  ASSERT_TRUE(o.programmer);
  for (std::uint8_t byte : {0x03, 0x01}) EXPECT_TRUE(o.programmer->WritePins(byte));
  EXPECT_EQ(o.device.BulkWritten(), (std::vector<std::uint8_t>{0x03, 0x01}));

  std::uint8_t pins = 0;
  EXPECT_TRUE(o.programmer->ReadPins(pins));
  EXPECT_EQ(pins, 0x01);
  o.device.DrivePins(0x11);  // the PROM drives its data line, D4, high
  EXPECT_TRUE(o.programmer->ReadPins(pins));
  EXPECT_EQ(pins, 0x11);
  EXPECT_EQ(o.device.VendorRequests().back(), (ControlRequest{0xC0, 0x0C, 0, 1}));
  EXPECT_FALSE(o.programmer->LastError().Failed());
}

// The programmer is closed when it goes, also after the library that opened it has gone, and the
// serial driver gets the port back; a new open finds it free.
TEST(LibFtdiClose, ClosingGivesTheSerialDriverBack) {
  UsbTestbed bed;
  FakeFt232r& device = bed.Add(WithSerial("A1B2C3D4"));
  std::unique_ptr<IOpenProgrammer> programmer;
  {
    LibFtdiProgrammers library;
    programmer = OpenSerial(library, "A1B2C3D4");
  }
  ASSERT_TRUE(programmer);
  EXPECT_TRUE(programmer->WritePins(0x01));
  EXPECT_EQ(device.DriverReattaches(), 0);
  programmer.reset();
  EXPECT_EQ(device.DriverReattaches(), 1);

  LibFtdiProgrammers library;
  EXPECT_TRUE(OpenSerial(library, "A1B2C3D4"));
  EXPECT_EQ(device.Claims(), 2);
}

// Pulled out while open: the pin calls fail, and say the programmer has gone rather than that a
// transfer failed; closing it afterwards is harmless.
TEST(LibFtdiUnplug, AProgrammerPulledOutFailsItsPinCallsAsUnplugged) {
  Opened o;
  ASSERT_TRUE(o.programmer);
  o.bed.Remove(o.device);
  EXPECT_FALSE(o.programmer->WritePins(0x01));
  const ProgrammerError error = o.programmer->LastError();
  EXPECT_EQ(error.problem, ProgrammerProblem::Unplugged);
  EXPECT_NE(error.words.find("ftdi_write_data returned"), std::string::npos) << error.words;
  std::uint8_t pins = 0;
  EXPECT_FALSE(o.programmer->ReadPins(pins));
  EXPECT_EQ(o.programmer->LastError().problem, ProgrammerProblem::Unplugged);
}

// The read-out's worker drives the pins while the window lists programmers again and asks for the
// last error.
TEST(LibFtdiThreads, PinTrafficListingAndErrorsMayOverlap) {
  Opened o;
  ASSERT_TRUE(o.programmer);
  std::atomic<int> failures{0};
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) {
      const auto byte = static_cast<std::uint8_t>(i);
      std::uint8_t pins = 0;
      if (!o.programmer->WritePins(byte)) ++failures;
      if (!o.programmer->ReadPins(pins) || pins != byte) ++failures;
    }
  });
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(o.library.List().size(), 1u);
    EXPECT_FALSE(o.programmer->LastError().Failed());
  }
  worker.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(o.device.BulkWritten().size(), 100u);
}

// Ctrl-C during a read of a real programmer: quarrow-cli, run as a child on the same mocked USB
// bus, stops at a bit boundary and closes the device, so libftdi hands the interface back to the
// kernel's serial driver, instead of dying with the programmer still claimed.
TEST(LibFtdiInterruptedRead, QuarrowCliClosesTheProgrammerOnCtrlC) {
  UsbTestbed bed;
  FakeFt232r& device = bed.Add(WithSerial("A1B2C3D4"));
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::dup2(null, fd);
    ::execl(QUARROW_CLI_PATH, QUARROW_CLI_PATH, "read", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // The two reset writes and a few bits of three clock writes each: the read is under way.
  constexpr std::size_t kUnderWay = 2 + 3 * 3;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int wstatus = 0;
  bool exited = false;
  while (device.BulkWritten().size() < kUnderWay && !exited &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    exited = ::waitpid(pid, &wstatus, WNOHANG) == pid;
  }
  ASSERT_FALSE(exited) << "quarrow-cli ended before the read got under way, status " << wstatus;
  ::kill(pid, SIGINT);
  ASSERT_EQ(::waitpid(pid, &wstatus, 0), pid);

  ASSERT_TRUE(WIFEXITED(wstatus)) << "ended by signal " << WTERMSIG(wstatus);
  EXPECT_EQ(WEXITSTATUS(wstatus), 130);
  EXPECT_EQ(device.Claims(), 1);
  EXPECT_EQ(device.DriverReattaches(), 1);
  EXPECT_LT(device.BulkWritten().size(), 2u + 128u * 3u);
}

}  // namespace
}  // namespace quarrow
