// The device list, Connect and the pin port over the simulated programmer.
#include <gtest/gtest.h>

#include <cstring>

#include "LinkTestSupport.h"

namespace quarrow::test {
namespace {

FT_DEVICE_LIST_INFO_NODE Record(const char* serial, const char* description,
                                std::uint32_t type = FT_DEVICE_232R) {
  FT_DEVICE_LIST_INFO_NODE node;
  node.Type = type;
  std::strncpy(node.SerialNumber, serial, sizeof node.SerialNumber);
  std::strncpy(node.Description, description, sizeof node.Description);
  return node;
}

void UseDevices(SimulatedProgrammer& sim, std::vector<FT_DEVICE_LIST_INFO_NODE> devices) {
  SimulatedOptions options;
  options.devices = std::move(devices);
  sim.SetOptions(options);
}

std::vector<std::string> Texts(const std::vector<DeviceEntry>& entries) {
  std::vector<std::string> texts;
  for (const auto& e : entries) texts.push_back(e.text);
  return texts;
}

TEST(EnumerateProgrammers, ListsTheSimulatedProgrammer) {
  SimulatedProgrammer sim;
  const auto entries = EnumerateProgrammers(sim);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].text, "QSIM0001 - Simulated RP5H01 programmer");
  EXPECT_EQ(entries[0].serial, kSimulatedSerial);
  EXPECT_EQ(entries[0].index, 0);
}

TEST(EnumerateProgrammers, SortsCaseInsensitivelyAndSkipsOtherTypes) {
  SimulatedProgrammer sim;
  UseDevices(sim, {Record("B0000002", "Board"), Record("a0000009", "Other chip", 8),
                          Record("A0000001", "board"), Record("a0000001", "board"),
                          Record("C0000003", "FT2232", 6)});
  const auto entries = EnumerateProgrammers(sim);
  EXPECT_EQ(Texts(entries),
            (std::vector<std::string>{"A0000001 - board", "a0000001 - board", "B0000002 - Board"}));
  // Each entry still knows its own record.
  EXPECT_EQ(entries[0].index, 2);
  EXPECT_EQ(entries[1].index, 3);
  EXPECT_EQ(entries[2].index, 0);
}

TEST(EnumerateProgrammers, NothingListedWhenNoFt232rOrNoDevices) {
  SimulatedProgrammer others;
  UseDevices(others, {Record("X1", "FT2232H", 6), Record("X2", "FT232H", 8)});
  EXPECT_TRUE(EnumerateProgrammers(others).empty());
  SimulatedProgrammer none;
  UseDevices(none, {});
  EXPECT_TRUE(EnumerateProgrammers(none).empty());
  SimulatedProgrammer unplugged;
  SimulatedOptions options;
  options.unplugged = true;
  unplugged.SetOptions(options);
  EXPECT_TRUE(EnumerateProgrammers(unplugged).empty());
}

// A library whose enumeration fails but leaves a count behind.
class FailingEnumeration : public SimulatedProgrammer {
 public:
  FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* count) override {
    SimulatedProgrammer::FT_CreateDeviceInfoList(count);
    return FT_IO_ERROR;
  }
};

TEST(EnumerateProgrammers, AFailedEnumerationListsNothing) {
  FailingEnumeration sim;
  EXPECT_TRUE(EnumerateProgrammers(sim).empty());
}

TEST(EnumerateProgrammers, ListsSerialsOfAnyLengthWhole) {
  SimulatedProgrammer sim;
  UseDevices(sim, {Record("AB", "Short"), Record("", ""), Record("LONGSERIAL12345", "Long")});
  const auto entries = EnumerateProgrammers(sim);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].text, " - ");
  EXPECT_EQ(entries[0].serial, "");
  EXPECT_EQ(entries[0].index, 1);
  EXPECT_EQ(entries[1].text, "AB - Short");
  EXPECT_EQ(entries[1].serial, "AB");
  EXPECT_EQ(entries[2].text, "LONGSERIAL12345 - Long");
  EXPECT_EQ(entries[2].serial, "LONGSERIAL12345");
}

TEST(EnumerateProgrammers, ReadsUnterminatedFieldsOnlyToTheirEnd) {
  FT_DEVICE_LIST_INFO_NODE hostile;
  hostile.Type = FT_DEVICE_232R;
  std::memset(hostile.SerialNumber, 'S', sizeof hostile.SerialNumber);
  std::memset(hostile.Description, 'D', sizeof hostile.Description);
  SimulatedProgrammer sim;
  UseDevices(sim, {hostile});
  const auto entries = EnumerateProgrammers(sim);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].serial, std::string(16, 'S'));
  EXPECT_EQ(entries[0].text, std::string(16, 'S') + " - " + std::string(63, 'D'));
}

TEST(EnumerateProgrammers, ListsAHundredDevicesInOrder) {
  std::vector<FT_DEVICE_LIST_INFO_NODE> devices;
  for (int i = 99; i >= 0; --i) {
    const std::string serial = "Q" + std::string(i < 10 ? "000000" : "00000") + std::to_string(i);
    devices.push_back(Record(serial.c_str(), "Board"));
  }
  SimulatedProgrammer sim;
  UseDevices(sim, devices);
  const auto entries = EnumerateProgrammers(sim);
  ASSERT_EQ(entries.size(), 100u);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(entries[i].index, 99 - i);
    EXPECT_EQ(entries[i].serial.substr(0, 1), "Q");
  }
  EXPECT_EQ(entries[0].serial, "Q0000000");
  EXPECT_EQ(entries[99].serial, "Q0000099");
}

TEST(ConnectProgrammer, OpensByWholeSerialAndSetsUpBitBangInOrder) {
  SimulatedProgrammer sim;
  UseDevices(sim, {Record("AB", "Short"), Record("LONGSERIAL12345", "Long")});
  const auto entries = EnumerateProgrammers(sim);
  FT_HANDLE handle = nullptr;
  const ConnectResult result = ConnectProgrammer(sim, entries[1], handle);
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(sim.DeviceIndexOf(handle), 1);
  ASSERT_EQ(sim.OpenCalls().size(), 1u);
  EXPECT_TRUE(sim.OpenCalls()[0].bySerial);
  EXPECT_EQ(sim.OpenCalls()[0].serial, "LONGSERIAL12345");

  const std::vector<SimulatedSetupCall> expected = {
      {"FT_SetBitMode", handle, {0xFF, 1}},
      {"FT_SetBaudRate", handle, {300}},
      {"FT_SetTimeouts", handle, {2000, 1000}},
      {"FT_ResetDevice", handle, {}},
  };
  EXPECT_EQ(sim.SetupCalls(), expected);

  // A short serial opens its own device, not the first characters of the entry's text.
  FT_HANDLE shortHandle = nullptr;
  ASSERT_TRUE(ConnectProgrammer(sim, entries[0], shortHandle).ok);
  EXPECT_EQ(sim.DeviceIndexOf(shortHandle), 0);
  EXPECT_EQ(sim.OpenCalls()[1].serial, "AB");
}

TEST(ConnectProgrammer, OpensADeviceWithoutSerialByItsIndex) {
  SimulatedProgrammer sim;
  UseDevices(sim, {Record("Z1", "First"), Record("", "No serial")});
  const auto entries = EnumerateProgrammers(sim);
  ASSERT_EQ(entries[0].text, " - No serial");
  FT_HANDLE handle = nullptr;
  ASSERT_TRUE(ConnectProgrammer(sim, entries[0], handle).ok);
  EXPECT_EQ(sim.DeviceIndexOf(handle), 1);
  ASSERT_EQ(sim.OpenCalls().size(), 1u);
  EXPECT_FALSE(sim.OpenCalls()[0].bySerial);
  EXPECT_EQ(sim.OpenCalls()[0].index, 1);
}

TEST(ConnectProgrammer, AFailedOpenKeepsTheEarlierConnection) {
  SimulatedProgrammer sim;
  FT_HANDLE handle = nullptr;
  ASSERT_TRUE(ConnectProgrammer(sim, EntryForSerial(kSimulatedSerial), handle).ok);
  const FT_HANDLE earlier = handle;
  sim.ClearRecord();

  SimulatedOptions options;
  options.failOpen = true;
  sim.SetOptions(options);
  ConnectResult result = ConnectProgrammer(sim, EntryForSerial(kSimulatedSerial), handle);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(handle, earlier);
  EXPECT_TRUE(sim.SetupCalls().empty());

  sim.SetOptions({});
  result = ConnectProgrammer(sim, EntryForSerial("NOSUCH01"), handle);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("NOSUCH01"), std::string::npos) << result.error;
  EXPECT_EQ(handle, earlier);
}

TEST(ConnectProgrammer, AnEmptyTypedSerialOpensNothing) {
  SimulatedProgrammer sim;
  FT_HANDLE handle = nullptr;
  const ConnectResult result = ConnectProgrammer(sim, EntryForSerial(""), handle);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(handle, nullptr);
  EXPECT_TRUE(sim.OpenCalls().empty());
}

TEST(CD2xxPinPort, FollowsTheHandleAndKeepsTheValueOnFailure) {
  SimulatedProgrammer sim(AllOnes());
  FT_HANDLE handle = nullptr;
  CD2xxPinPort port(sim, handle);
  std::uint8_t value = 0x5A;
  EXPECT_FALSE(port.WritePins(0x01));  // not connected yet
  EXPECT_FALSE(port.ReadPins(value));
  EXPECT_EQ(value, 0x5A);

  ASSERT_TRUE(ConnectProgrammer(sim, EntryForSerial(kSimulatedSerial), handle).ok);
  EXPECT_TRUE(port.WritePins(0x01));
  EXPECT_TRUE(port.ReadPins(value));
  EXPECT_EQ(value, 0x11);  // D0 as written, D4 from the chip

  SimulatedOptions options;
  options.unplugged = true;
  sim.SetOptions(options);
  value = 0x5A;
  EXPECT_FALSE(port.WritePins(0x00));
  EXPECT_FALSE(port.ReadPins(value));
  EXPECT_EQ(value, 0x5A);
}

}  // namespace
}  // namespace quarrow::test
