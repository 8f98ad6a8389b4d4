// SPDX-License-Identifier: GPL-3.0-or-later
// The FTDI chips that have asynchronous bit-bang, and what the tool needs to know of each: its
// D2XX device type, USB product id and release (bcdDevice), how many interfaces and bit-bang pins it
// has, and the names boards print for those pins.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>


namespace quarrow {

enum class FtdiChip { FT232R, FT245R, FT232H, FT2232C, FT2232H, FT4232H, FT230X, FT231X, FT234XD };

// How boards print a chip's bit-bang pins: by the UART's signal names (TXD RXD RTS CTS DTR DSR DCD
// RI), as the data bus D0..D7, or by the port's bus (ADBUS0..ADBUS7 or AD0..AD7 on port A, BDBUS0 or
// BD0 on port B, and so on).
enum class PinNaming { Signals, DataBus, PortBus };

struct FtdiChipFacts {
  FtdiChip chip;
  const char* name;        // "FT232H"
  std::uint32_t d2xxType;  // the device type FTDI's D2XX driver lists it as
  std::uint16_t usbProduct;
  std::uint16_t usbRelease;  // bcdDevice, which tells chips that share a product id apart
  int interfaces;   // bit-bang ports, each listed as a device of its own
  int bitBangPins;  // D0..D(n-1)
  PinNaming naming;
  // Chips of one device type (and one product id and release) differ only in the product string:
  // this chip is meant when the string contains its mark; nullptr for the one meant otherwise.
  const char* productMark;
};

const FtdiChipFacts& FactsOf(FtdiChip chip);

// Every chip the tool can read through, in the order the lists of chips name them.
std::span<const FtdiChipFacts> SupportedChips();

// FTDI's USB vendor id, which every chip above answers with.
inline constexpr std::uint16_t kFtdiUsbVendor = 0x0403;

// The chip a device record stands for, or nothing for a device without asynchronous bit-bang. The
// FT232R and FT245R share a device type, as the FT-X chips do; their product strings tell them apart.
std::optional<FtdiChip> ChipOfRecord(std::uint32_t d2xxType, std::string_view description);
// The chip a USB device of FTDI's stands for, told by its product id and release as the D2XX
// device type is, and by its product string as above; nothing for a chip without asynchronous
// bit-bang (the FT232BM shares the FT232R's product id).
std::optional<FtdiChip> ChipOfUsbDevice(std::uint16_t product, std::uint16_t release, std::string_view description);
// The product ids of SupportedChips(), each once.
std::vector<std::uint16_t> SupportedUsbProducts();

// "FT232H" -> FtdiChip::FT232H, case-insensitive; FT2232D is an FT2232C.
std::optional<FtdiChip> ChipNamed(std::string_view name);

// "D0-D3" for a four-pin chip.
std::string PinRangeOf(FtdiChip chip);

// The name a board prints beside bit-bang pin `pin` of port `port` (0 = A): "RTS" on an FT232R or
// FT-X chip, "D2" on an FT245R, "ADBUS2" on port A of an FT232H, "BDBUS2" on port B of an FT2232H.
std::string BoardPinName(FtdiChip chip, int port, int pin);
// BoardPinName of each bit-bang pin D0..D(n-1) of port `port`.
std::vector<std::string> BoardPinNames(FtdiChip chip, int port);

// A pin as a person names it: its bit-bang number, and the port a port-bus name belongs to.
struct NamedPin {
  int pin = 0;
  int port = -1;  // 0 = A for ADBUS2 or AD2, 1 = B ...; -1 for D2 and the signal names
  std::string chip;  // "gpiochip0" for a line named gpiochip0:17; empty otherwise
};
// "D0".."D7", the FT232R's signal names, a port's bus names "ADBUS0".."DDBUS7" and "AD0".."DD7",
// case-insensitive, or a GPIO chip's line as CHIP:OFFSET ("gpiochip0:17"); nothing else.
std::optional<NamedPin> ParseBoardPinName(std::string_view name);

// "A" for port 0.
std::string PortLetter(int port);

// Whether pins named by the bus names of port `namedPort` (ADBUS2, BD2; -1 for none) belong to
// port `port` of the chip, and if not, why not: the chip has no lettered ports, has no such port, or
// the names are another port's than this programmer's.
enum class PortNaming { Fits, NoLetteredPorts, NoSuchPort, OtherPort };
PortNaming PortNamingOn(FtdiChip chip, int port, int namedPort);

}  // namespace quarrow
