// SPDX-License-Identifier: GPL-3.0-or-later
// list-chips: the FTDI chips a programmer may be built on, with their USB ids, ports and the names
// boards print for the bit-bang pins, as the chip table knows them.
#include <cstdio>
#include <memory>
#include <string>

#include "CommandLine.h"
#include "FtdiChip.h"
#include "Report.h"

namespace quarrow::cli {

namespace {

// "0403:6014", as lsusb shows it.
std::string UsbId(const FtdiChipFacts& facts) {
  char id[10];
  std::snprintf(id, sizeof id, "%04x:%04x", static_cast<unsigned>(kFtdiUsbVendor),
                static_cast<unsigned>(facts.usbProduct));
  return id;
}

nlohmann::ordered_json ChipJson(const FtdiChipFacts& facts) {
  nlohmann::ordered_json ports = nlohmann::ordered_json::array();
  for (int port = 0; port < facts.interfaces; ++port) {
    nlohmann::ordered_json pins = nlohmann::ordered_json::object();
    for (int pin = 0; pin < facts.bitBangPins; ++pin) {
      pins["D" + std::to_string(pin)] = BoardPinName(facts.chip, port, pin);
    }
    ports.push_back({{"port", PortLetter(port)}, {"pins", pins}});
  }
  return {{"chip", facts.name}, {"usb_id", UsbId(facts)}, {"ports", ports}};
}

// "FT2232H    0403:6010  port A: D0=ADBUS0 ... D7=ADBUS7", a line for each further port.
void PrintChip(const FtdiChipFacts& facts, Console& console) {
  for (int port = 0; port < facts.interfaces; ++port) {
    std::string line = port == 0 ? std::string(facts.name) + " " + UsbId(facts) : std::string();
    line.resize(20, ' ');
    line += "port " + PortLetter(port) + ":";
    for (int pin = 0; pin < facts.bitBangPins; ++pin) {
      line += " D" + std::to_string(pin) + "=" + BoardPinName(facts.chip, port, pin);
    }
    console.out << line << '\n';
  }
}

ExitStatus ListChipsCommand(bool json, Console& console) {
  if (json) {
    nlohmann::ordered_json chips = nlohmann::ordered_json::array();
    for (const FtdiChipFacts& facts : SupportedChips()) chips.push_back(ChipJson(facts));
    PrintJson({{"command", "list-chips"}, {"chips", chips}}, console);
  } else {
    for (const FtdiChipFacts& facts : SupportedChips()) PrintChip(facts, console);
    console.out << std::flush;
  }
  return kExitSuccess;
}

}  // namespace

Command DeclareListChips(CLI::App& program) {
  CLI::App* command = program.add_subcommand(
      "list-chips", "List the FTDI chips a programmer may be built on, with their pins' names");
  command->footer(R"(Examples:
  quarrow-cli list-chips                   one line a port: CHIP USB-ID port A: D0=NAME ...
  quarrow-cli list-chips --json            the same as one JSON object

Each bit-bang pin D0..D7 is shown with the name boards print beside it; --pins takes either.

Exit status:
  0    the chips were listed
  2    the command line could not be understood)");
  auto json = std::make_shared<bool>(false);
  AddJsonFlag(*command, *json);
  return {command, false, nullptr, [json](const CommandContext& context) {
            return ListChipsCommand(*json, context.console);
          }};
}

}  // namespace quarrow::cli
