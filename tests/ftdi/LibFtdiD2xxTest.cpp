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
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "FakeFt232r.h"
#include "libftdi/LibFtdiD2xx.h"

namespace quarrow {
namespace {

using test::ControlRequest;
using test::FakeFt232r;
using test::Ft232rSpec;
using test::UsbTestbed;

// FTDI SIO requests as the chip sees them: vendor, host to device, interface A is index 1.
constexpr ControlRequest kResetSio{0x40, 0x00, 0x0000, 1};
constexpr ControlRequest kBitBangAllOutputs{0x40, 0x0B, 0x01FF, 1};
// 3 MHz / 300 = 10000: the divisor D2XX sends for 300 baud; the index carries only the divisor's
// high bits on an FT232R.
constexpr ControlRequest kBaud300AsD2xx{0x40, 0x03, 0x2710, 0};

Ft232rSpec WithSerial(std::string serial) {
  Ft232rSpec spec;
  spec.serial = std::move(serial);
  return spec;
}

std::vector<FT_DEVICE_LIST_INFO_NODE> List(LibFtdiD2xx& d2xx) {
  std::uint32_t count = 0;
  EXPECT_EQ(d2xx.FT_CreateDeviceInfoList(&count), FT_OK) << d2xx.LastErrorText();
  std::vector<FT_DEVICE_LIST_INFO_NODE> nodes(count + 1);
  std::uint32_t filled = count + 1;
  EXPECT_EQ(d2xx.FT_GetDeviceInfoList(nodes.data(), &filled), FT_OK);
  EXPECT_EQ(filled, count);
  nodes.resize(filled);
  return nodes;
}

std::vector<ControlRequest> Since(const FakeFt232r& device, std::size_t from) {
  auto all = device.VendorRequests();
  return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
}

// Field contents up to the first terminator, failing if the field has none.
template <std::size_t N>
std::string Field(const char (&field)[N]) {
  const void* end = std::memchr(field, '\0', N);
  EXPECT_NE(end, nullptr) << "field is not zero-terminated";
  return end ? std::string(field, static_cast<const char*>(end)) : std::string(field, N);
}

TEST(LibFtdiListing, ListsEachFt232rWithItsStringsWithoutClaimingIt) {
  UsbTestbed bed;
  FakeFt232r& first = bed.Add(WithSerial("A1B2C3D4"));
  Ft232rSpec other = WithSerial("FTX9Y8Z7");
  other.description = "Quarrow programmer";
  FakeFt232r& second = bed.Add(other);
  Ft232rSpec older = WithSerial("BM000001");
  older.bcdDevice = 0x0400;  // FT232BM: same IDs, not bit-bang capable as the tool needs
  bed.Add(older);

  LibFtdiD2xx d2xx;
  const auto nodes = List(d2xx);
  ASSERT_EQ(nodes.size(), 3u);
  std::vector<std::pair<std::string, std::string>> ft232r;
  for (const auto& node : nodes) {
    EXPECT_EQ(node.ID, 0x04036001u);
    EXPECT_EQ(node.Flags, 0u);
    if (node.Type == FT_DEVICE_232R) {
      ft232r.emplace_back(Field(node.SerialNumber), Field(node.Description));
    }
  }
  std::sort(ft232r.begin(), ft232r.end());
  EXPECT_EQ(ft232r, (std::vector<std::pair<std::string, std::string>>{
                        {"A1B2C3D4", "FT232R USB UART"}, {"FTX9Y8Z7", "Quarrow programmer"}}));
  // Listing reads strings only; claiming would take the person's serial port away.
  EXPECT_EQ(first.Claims() + second.Claims(), 0);
  EXPECT_TRUE(first.VendorRequests().empty());

  // A smaller array gets only as many records as it holds.
  FT_DEVICE_LIST_INFO_NODE one[1];
  std::uint32_t capacity = 1;
  EXPECT_EQ(d2xx.FT_GetDeviceInfoList(one, &capacity), FT_OK);
  EXPECT_EQ(capacity, 1u);
}

TEST(LibFtdiListing, LongStringsAreCutAndTerminatedAndTheWholeSerialStillOpens) {
  UsbTestbed bed;
  Ft232rSpec spec = WithSerial("SERIAL-0123456789ABCDEF");
  spec.description = std::string(100, 'd');
  bed.Add(spec);

  LibFtdiD2xx d2xx;
  const auto nodes = List(d2xx);
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(Field(nodes[0].SerialNumber), "SERIAL-01234567");
  EXPECT_EQ(Field(nodes[0].Description), std::string(63, 'd'));

  for (const char* serial : {"SERIAL-0123456789ABCDEF", "SERIAL-01234567"}) {
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(d2xx.FT_OpenEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK)
        << serial << ": " << d2xx.LastErrorText();
    EXPECT_EQ(d2xx.FT_Close(handle), FT_OK);
  }
}

// One device of each FTDI product id with asynchronous bit-bang; a multi-port chip is listed port by
// port as D2XX lists it, and each port's pins are its own.
TEST(LibFtdiListing, ListsAndDrivesEveryBitBangChipPortByPort) {
  struct Chip {
    const char* serial;
    std::uint16_t product, bcdDevice;
    int ports;
  } chips[] = {{"R0000001", 0x6001, 0x0600, 1}, {"FTX1234", 0x6010, 0x0700, 2},
               {"Q4000001", 0x6011, 0x0800, 4}, {"H0000001", 0x6014, 0x0900, 1},
               {"X0000001", 0x6015, 0x1000, 1}};
  UsbTestbed bed;
  std::vector<FakeFt232r*> devices;
  for (const Chip& chip : chips) {
    Ft232rSpec spec = WithSerial(chip.serial);
    spec.product = chip.product;
    spec.bcdDevice = chip.bcdDevice;
    spec.interfaces = chip.ports;
    spec.description = "Board";
    devices.push_back(&bed.Add(spec));
  }

  LibFtdiD2xx d2xx;
  std::vector<std::string> listed;
  for (const auto& node : List(d2xx)) {
    listed.push_back(Field(node.SerialNumber) + " " + Field(node.Description) + " " +
                     std::to_string(node.Type) + " " + std::to_string(node.ID & 0xFFFF));
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{
                        "FTX1234A Board A 6 24592", "FTX1234B Board B 6 24592",
                        "H0000001 Board 8 24596", "Q4000001A Board A 7 24593",
                        "Q4000001B Board B 7 24593", "Q4000001C Board C 7 24593",
                        "Q4000001D Board D 7 24593", "R0000001 Board 5 24577",
                        "X0000001 Board 9 24597"}));

  // Both ports of the FT2232H open at once, each writing and reading its own pins.
  const std::pair<const char*, int> ports[] = {{"FTX1234A", 0}, {"FTX1234B", 1}, {"H0000001", 0},
                                               {"Q4000001C", 2}, {"X0000001", 0}};
  std::vector<FT_HANDLE> handles;
  for (const auto& [serial, port] : ports) {
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(d2xx.FT_OpenEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK)
        << serial << ": " << d2xx.LastErrorText();
    handles.push_back(handle);
    const std::uint8_t byte = static_cast<std::uint8_t>(0x10 + port);
    std::uint32_t written = 0;
    EXPECT_EQ(d2xx.FT_SetBitMode(handle, 0x0C, FT_BITMODE_ASYNC_BITBANG), FT_OK);
    EXPECT_EQ(d2xx.FT_Write(handle, &byte, 1, &written), FT_OK) << d2xx.LastErrorText();
    std::uint8_t pins = 0;
    EXPECT_EQ(d2xx.FT_GetBitMode(handle, &pins), FT_OK) << d2xx.LastErrorText();
    EXPECT_EQ(pins, byte) << serial;
  }
  EXPECT_EQ(devices[1]->BulkWritten(0), std::vector<std::uint8_t>{0x10});
  EXPECT_EQ(devices[1]->BulkWritten(1), std::vector<std::uint8_t>{0x11});
  EXPECT_EQ(devices[2]->BulkWritten(2), std::vector<std::uint8_t>{0x12});
  // The direction mask reaches the port it is meant for: interface B is index 2.
  const auto requests = devices[1]->VendorRequests();
  EXPECT_NE(std::find(requests.begin(), requests.end(), ControlRequest{0x40, 0x0B, 0x010C, 2}),
            requests.end());
  for (FT_HANDLE handle : handles) EXPECT_EQ(d2xx.FT_Close(handle), FT_OK);
}

class LibFtdiSerialLess : public ::testing::TestWithParam<bool> {};

// A device without a readable serial (no string index, or one it refuses to read) is still listed
// with its description, and opens by its position in the list.
TEST_P(LibFtdiSerialLess, IsListedWithItsDescriptionAndOpensByIndex) {
  UsbTestbed bed;
  bed.Add(WithSerial("A1B2C3D4"));
  Ft232rSpec spec;
  spec.serial = std::nullopt;
  spec.serialStalls = GetParam();
  spec.description = "blank programmer";
  FakeFt232r& blank = bed.Add(spec);

  LibFtdiD2xx d2xx;
  const auto nodes = List(d2xx);
  ASSERT_EQ(nodes.size(), 2u);
  int index = -1;
  for (int i = 0; i < 2; ++i) {
    if (Field(nodes[i].SerialNumber).empty()) index = i;
  }
  ASSERT_NE(index, -1);
  EXPECT_EQ(Field(nodes[index].Description), "blank programmer");
  EXPECT_EQ(nodes[index].Type, FT_DEVICE_232R);

  FT_HANDLE handle = nullptr;
  ASSERT_EQ(d2xx.FT_Open(index, &handle), FT_OK) << d2xx.LastErrorText();
  const std::uint8_t byte = 0x5A;
  std::uint32_t written = 0;
  EXPECT_EQ(d2xx.FT_Write(handle, &byte, 1, &written), FT_OK) << d2xx.LastErrorText();
  EXPECT_EQ(blank.BulkWritten(), std::vector<std::uint8_t>{0x5A});
}

INSTANTIATE_TEST_SUITE_P(NoStringIndexOrStall, LibFtdiSerialLess, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Stalls" : "NoStringIndex"; });

TEST(LibFtdiOpen, BySerialOpensThatDeviceAndFlagsItOpened) {
  UsbTestbed bed;
  FakeFt232r& first = bed.Add(WithSerial("A1B2C3D4"));
  FakeFt232r& second = bed.Add(WithSerial("FTX9Y8Z7"));
  LibFtdiD2xx d2xx;
  List(d2xx);

  FT_HANDLE handle = nullptr;
  ASSERT_EQ(d2xx.FT_OpenEx("FTX9Y8Z7", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK)
      << d2xx.LastErrorText();
  EXPECT_NE(handle, nullptr);
  EXPECT_EQ(first.Claims(), 0);
  EXPECT_EQ(second.Claims(), 1);

  int opened = 0;
  for (const auto& node : List(d2xx)) {
    if (node.Flags & 1) {
      ++opened;
      EXPECT_EQ(Field(node.SerialNumber), "FTX9Y8Z7");
    }
  }
  EXPECT_EQ(opened, 1);
}

TEST(LibFtdiOpen, UnknownSerialOrIndexOrNoListIsNotFoundAndSaysSo) {
  UsbTestbed bed;
  FakeFt232r& device = bed.Add(WithSerial("A1B2C3D4"));
  LibFtdiD2xx d2xx;
  FT_HANDLE handle = reinterpret_cast<FT_HANDLE>(0x1234);

  EXPECT_EQ(d2xx.FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);
  List(d2xx);
  EXPECT_EQ(d2xx.FT_OpenEx("A1B2C3D ", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_DEVICE_NOT_FOUND);
  EXPECT_NE(d2xx.LastErrorText().find("A1B2C3D "), std::string::npos) << d2xx.LastErrorText();
  EXPECT_EQ(d2xx.FT_Open(1, &handle), FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(d2xx.FT_Open(-1, &handle), FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(handle, reinterpret_cast<FT_HANDLE>(0x1234));
  EXPECT_EQ(device.Claims(), 0);
}

TEST(LibFtdiOpen, ABusyDeviceDoesNotHideTheNextWithTheSameSerial) {
  UsbTestbed bed;
  Ft232rSpec busy = WithSerial("A1B2C3D4");
  busy.busy = true;
  bed.Add(busy);
  FakeFt232r& free = bed.Add(WithSerial("A1B2C3D4"));
  LibFtdiD2xx d2xx;
  List(d2xx);

  FT_HANDLE handle = nullptr;
  ASSERT_EQ(d2xx.FT_OpenEx("A1B2C3D4", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK)
      << d2xx.LastErrorText();
  EXPECT_EQ(free.Claims(), 1);
}

TEST(LibFtdiOpen, ABusyDeviceFailsWithTheCauseAndLibftdisOwnWords) {
  UsbTestbed bed;
  Ft232rSpec busy = WithSerial("A1B2C3D4");
  busy.busy = true;
  bed.Add(busy);
  LibFtdiD2xx d2xx;
  List(d2xx);

  FT_HANDLE handle = nullptr;
  EXPECT_EQ(d2xx.FT_OpenEx("A1B2C3D4", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_DEVICE_NOT_OPENED);
  EXPECT_EQ(handle, nullptr);
  const std::string text = d2xx.LastErrorText();
  EXPECT_NE(text.find("in use"), std::string::npos) << text;
  EXPECT_NE(text.find("unable to claim usb device"), std::string::npos) << text;
}

std::vector<std::string> ListedSerials(LibFtdiD2xx& d2xx) {
  std::vector<std::string> serials;
  for (const auto& node : List(d2xx)) serials.push_back(Field(node.SerialNumber));
  std::sort(serials.begin(), serials.end());
  return serials;
}

// A programmer plugged in after the list was made, unplugged, or plugged in again: the open looks
// at what is attached when it is called, and each new list shows the bus as it is.
TEST(LibFtdiReplug, OpenAndListSeeTheDevicesAttachedNow) {
  UsbTestbed bed;
  FakeFt232r& first = bed.Add(WithSerial("A1B2C3D4"));
  LibFtdiD2xx d2xx;
  EXPECT_EQ(ListedSerials(d2xx), std::vector<std::string>{"A1B2C3D4"});

  FakeFt232r& late = bed.Add(WithSerial("LATE0001"));
  FT_HANDLE handle = nullptr;
  ASSERT_EQ(d2xx.FT_OpenEx("LATE0001", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK)
      << d2xx.LastErrorText();
  EXPECT_EQ(late.Claims(), 1);
  EXPECT_EQ(ListedSerials(d2xx), (std::vector<std::string>{"A1B2C3D4", "LATE0001"}));

  // Unplugged: neither its serial nor its position in a list made before reaches it.
  const auto nodes = List(d2xx);
  const int firstIndex = Field(nodes[0].SerialNumber) == "A1B2C3D4" ? 0 : 1;
  bed.Remove(first);
  FT_HANDLE gone = nullptr;
  EXPECT_EQ(d2xx.FT_Open(firstIndex, &gone), FT_DEVICE_NOT_FOUND);
  EXPECT_EQ(d2xx.FT_OpenEx("A1B2C3D4", FT_OPEN_BY_SERIAL_NUMBER, &gone), FT_DEVICE_NOT_FOUND);
  EXPECT_NE(d2xx.LastErrorText().find("A1B2C3D4"), std::string::npos) << d2xx.LastErrorText();
  EXPECT_EQ(ListedSerials(d2xx), std::vector<std::string>{"LATE0001"});

  FakeFt232r& again = bed.Add(WithSerial("A1B2C3D4"));
  ASSERT_EQ(d2xx.FT_OpenEx("A1B2C3D4", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK)
      << d2xx.LastErrorText();
  EXPECT_EQ(again.Claims(), 1);
  EXPECT_EQ(first.Claims(), 0);
}

struct Opened {
  UsbTestbed bed;
  FakeFt232r& device = bed.Add(WithSerial("A1B2C3D4"));
  LibFtdiD2xx d2xx;
  FT_HANDLE handle = nullptr;
  std::size_t afterOpen = 0;  // vendor requests libftdi sends while opening
  Opened() {
    List(d2xx);
    EXPECT_EQ(d2xx.FT_OpenEx("A1B2C3D4", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK)
        << d2xx.LastErrorText();
    afterOpen = device.VendorRequests().size();
  }
};

TEST(LibFtdiSetUp, ConnectSequenceSendsBitBangD2xxDivisorAndReset) {
  Opened o;
  EXPECT_EQ(o.d2xx.FT_SetBitMode(o.handle, 0xFF, FT_BITMODE_ASYNC_BITBANG), FT_OK);
  EXPECT_EQ(o.d2xx.FT_SetBaudRate(o.handle, 300), FT_OK) << o.d2xx.LastErrorText();
  EXPECT_EQ(o.d2xx.FT_SetTimeouts(o.handle, 2000, 1000), FT_OK);
  EXPECT_EQ(o.d2xx.FT_ResetDevice(o.handle), FT_OK);
  EXPECT_EQ(Since(o.device, o.afterOpen),
            (std::vector<ControlRequest>{kBitBangAllOutputs, kBaud300AsD2xx, kResetSio}));
}

TEST(LibFtdiSetUp, BaudDivisorDoesNotDependOnWhetherBitBangIsOn) {
  Opened o;
  EXPECT_EQ(o.d2xx.FT_SetBaudRate(o.handle, 300), FT_OK) << o.d2xx.LastErrorText();
  EXPECT_EQ(Since(o.device, o.afterOpen), std::vector<ControlRequest>{kBaud300AsD2xx});
  EXPECT_EQ(o.d2xx.FT_SetBaudRate(o.handle, 0), FT_INVALID_PARAMETER);
}

TEST(LibFtdiPins, WritesReachTheBulkEndpointAndReadsReturnTheChipsLevels) {
  Opened o;
  o.d2xx.FT_SetBitMode(o.handle, 0xFF, FT_BITMODE_ASYNC_BITBANG);
  for (std::uint8_t byte : {0x03, 0x01}) {
    std::uint32_t written = 0;
    EXPECT_EQ(o.d2xx.FT_Write(o.handle, &byte, 1, &written), FT_OK) << o.d2xx.LastErrorText();
    EXPECT_EQ(written, 1u);
  }
  EXPECT_EQ(o.device.BulkWritten(), (std::vector<std::uint8_t>{0x03, 0x01}));

  std::uint8_t pins = 0;
  EXPECT_EQ(o.d2xx.FT_GetBitMode(o.handle, &pins), FT_OK) << o.d2xx.LastErrorText();
  EXPECT_EQ(pins, 0x01);
  o.device.DrivePins(0x11);  // the PROM drives its data line, D4, high
  EXPECT_EQ(o.d2xx.FT_GetBitMode(o.handle, &pins), FT_OK);
  EXPECT_EQ(pins, 0x11);
  EXPECT_EQ(o.device.VendorRequests().back(), (ControlRequest{0xC0, 0x0C, 0, 1}));
}

TEST(LibFtdiClose, CloseGivesTheSerialDriverBackAndRetiresTheHandle) {
  Opened o;
  EXPECT_EQ(o.device.DriverReattaches(), 0);
  EXPECT_EQ(o.d2xx.FT_Close(o.handle), FT_OK);
  EXPECT_EQ(o.device.DriverReattaches(), 1);

  const std::uint8_t byte = 0;
  std::uint32_t written = 7;
  EXPECT_EQ(o.d2xx.FT_Write(o.handle, &byte, 1, &written), FT_INVALID_HANDLE);
  EXPECT_EQ(written, 0u);
  std::uint8_t pins = 0;
  EXPECT_EQ(o.d2xx.FT_GetBitMode(o.handle, &pins), FT_INVALID_HANDLE);
  EXPECT_EQ(o.d2xx.FT_Close(o.handle), FT_INVALID_HANDLE);

  // A new open gets a new handle, so the retired one cannot reach it.
  FT_HANDLE again = nullptr;
  ASSERT_EQ(o.d2xx.FT_OpenEx("A1B2C3D4", FT_OPEN_BY_SERIAL_NUMBER, &again), FT_OK);
  EXPECT_NE(again, o.handle);
}

TEST(LibFtdiClose, EndingTheBackEndClosesWhatIsStillOpen) {
  UsbTestbed bed;
  FakeFt232r& device = bed.Add(WithSerial("A1B2C3D4"));
  {
    LibFtdiD2xx d2xx;
    List(d2xx);
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(d2xx.FT_OpenEx("A1B2C3D4", FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_OK);
  }
  EXPECT_EQ(device.DriverReattaches(), 1);
}

// The read-out's worker drives the pins while the window may list devices again.
TEST(LibFtdiThreads, PinTrafficAndListingMayOverlap) {
  Opened o;
  std::atomic<int> failures{0};
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) {
      const auto byte = static_cast<std::uint8_t>(i);
      std::uint32_t written = 0;
      std::uint8_t pins = 0;
      if (o.d2xx.FT_Write(o.handle, &byte, 1, &written) != FT_OK) ++failures;
      if (o.d2xx.FT_GetBitMode(o.handle, &pins) != FT_OK || pins != byte) ++failures;
    }
  });
  for (int i = 0; i < 10; ++i) EXPECT_EQ(List(o.d2xx).size(), 1u);
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
