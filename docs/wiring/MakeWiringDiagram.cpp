// SPDX-License-Identifier: GPL-3.0-or-later
// Draws docs/wiring.svg, the README's wiring diagram: how the RP5H01's eight pins, in package order,
// meet the FTDI pins on the default board, an FT232RL breakout's six-pin header, an FT232H board and
// port A of an FT2232H board, with the --pins line of each. Run by hand when the picture changes,
// and commit its output:
//   cmake --build <dir> --target make-wiring-diagram && <dir>/docs/make-wiring-diagram docs/wiring.svg
// The test wiring_diagram_is_current checks that the committed picture is this program's output;
// WiringGuide.PinNamesAreAcceptedByPins that every FTDI pin name it prints (class "ftdipin") is one
// --pins takes.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Board {
  std::string title;
  std::string clock, reset, data;  // the FTDI pins as the board prints them, then "D0"
  std::string supply;              // the board's 5 V pin
  std::string pins;                // the --pins line
  bool levelShifter;               // 3.3 V outputs: clock and reset through a 74HCT buffer at 5 V
  std::string note;
};

// The PROM in a DIP-8, pins 1-4 down its left side and 8-5 up its right side, as seen from above.
struct PromPin {
  int number;
  const char* line;
};
const PromPin kLeftPins[] = {{1, "DATA"}, {2, "/CE (Vpp)"}, {3, "VCC"}, {4, "GND"}};
const PromPin kRightPins[] = {{8, "COUNTER OUT"}, {7, "RESET"}, {6, "DATA CLOCK"}, {5, "TEST"}};

constexpr int kPanelWidth = 560;
constexpr int kPanelHeight = 340;
constexpr int kRow = 30;
constexpr int kTop = 110;  // the first row of pins
constexpr const char* kClockColour = "#1f77b4";
constexpr const char* kResetColour = "#d62728";
constexpr const char* kDataColour = "#2ca02c";
constexpr const char* kSupplyColour = "#ff7f0e";
constexpr const char* kGroundColour = "#555555";

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else out += c;
  }
  return out;
}

int RowY(int row) { return kTop + row * kRow; }

void Text(std::ostream& svg, int x, int y, const char* cls, const std::string& text) {
  svg << "  <text x=\"" << x << "\" y=\"" << y << "\" class=\"" << cls << "\">" << Escaped(text) << "</text>\n";
}

// A wire through the given corners; `toFtdi` puts the arrow at its start (data flows to the FTDI
// chip), else at its end.
void Wire(std::ostream& svg, const std::vector<std::pair<int, int>>& points, const char* colour,
          bool arrow, bool toFtdi = false) {
  svg << "  <polyline points=\"";
  for (std::size_t i = 0; i < points.size(); ++i) {
    svg << (i ? " " : "") << points[i].first << ',' << points[i].second;
  }
  svg << "\" stroke=\"" << colour << "\" class=\"wire\"";
  if (arrow) svg << (toFtdi ? " marker-start=\"url(#back)\"" : " marker-end=\"url(#arrow)\"");
  svg << "/>\n";
}

void DrawBoard(std::ostream& svg, const Board& board, int x0, int y0) {
  svg << "  <g transform=\"translate(" << x0 << ',' << y0 << ")\">\n";
  Text(svg, kPanelWidth / 2, 24, "title", board.title);
  // The FTDI board's pins, one a row: clock, reset, data, 5 V, GND.
  const int ftdiX = 15, ftdiW = 110, ftdiTop = kTop - 25, ftdiBottom = RowY(4) + 20;
  svg << "  <rect x=\"" << ftdiX << "\" y=\"" << ftdiTop << "\" width=\"" << ftdiW << "\" height=\""
      << ftdiBottom - ftdiTop << "\" class=\"chip\"/>\n";
  Text(svg, ftdiX + ftdiW / 2, ftdiBottom - 6, "label", "FTDI");
  int row = 0;
  for (const std::string* pin : {&board.clock, &board.reset, &board.data}) {
    Text(svg, ftdiX + ftdiW - 8, RowY(row++) + 4, "pin right ftdipin", *pin);
  }
  Text(svg, ftdiX + ftdiW - 8, RowY(3) + 4, "pin right", board.supply);
  Text(svg, ftdiX + ftdiW - 8, RowY(4) + 4, "pin right", "GND");

  // The PROM, its pin numbers outside the package and its lines inside.
  const int promX = 310, promW = 170, promTop = kTop - 25, promBottom = RowY(3) + 45;
  svg << "  <rect x=\"" << promX << "\" y=\"" << promTop << "\" width=\"" << promW << "\" height=\""
      << promBottom - promTop << "\" class=\"chip\"/>\n"
      << "  <circle cx=\"" << promX + 10 << "\" cy=\"" << promTop + 9 << "\" r=\"3\" class=\"dot\"/>\n";
  Text(svg, promX + promW / 2, promBottom - 6, "label", "RP5H01, top view");
  for (int i = 0; i < 4; ++i) {
    const int y = RowY(i);
    svg << "  <line x1=\"" << promX - 8 << "\" y1=\"" << y << "\" x2=\"" << promX << "\" y2=\"" << y
        << "\" class=\"stub\"/>\n"
        << "  <line x1=\"" << promX + promW << "\" y1=\"" << y << "\" x2=\"" << promX + promW + 8 << "\" y2=\""
        << y << "\" class=\"stub\"/>\n";
    Text(svg, promX + 6, y + 4, "pin left", std::to_string(kLeftPins[i].number) + " " + kLeftPins[i].line);
    Text(svg, promX + promW - 6, y + 4, "pin right",
         std::string(kRightPins[i].line) + " " + std::to_string(kRightPins[i].number));
  }
  const int left = promX - 8, right = promX + promW + 8;
  // Pins tied to a level, named at their ends: /CE low enables the chip; TEST high lets the counter
  // reach all 128 bits (low, it wraps at 64); COUNTER OUT is an output and stays open.
  Text(svg, left - 4, RowY(1) + 4, "tie right", "GND");
  Text(svg, right + 4, RowY(0) + 4, "tie left", "open");
  Text(svg, right + 4, RowY(3) + 4, "tie left", "5 V");

  // Clock and reset leave the FTDI board (through the buffer on a 3.3 V board), rise above the
  // PROM and come down to pins 6 and 7 on its far side.
  int outX = ftdiX + ftdiW;
  if (board.levelShifter) {
    const int bufX = 140, bufW = 62;
    svg << "  <rect x=\"" << bufX << "\" y=\"" << RowY(0) - 15 << "\" width=\"" << bufW << "\" height=\""
        << kRow + 30 << "\" class=\"buffer\"/>\n";
    Text(svg, bufX + bufW / 2, RowY(0) + 11, "small", "74HCT125");
    Text(svg, bufX + bufW / 2, RowY(0) + 23, "small", "at 5 V");
    Wire(svg, {{outX, RowY(0)}, {bufX, RowY(0)}}, kClockColour, false);
    Wire(svg, {{outX, RowY(1)}, {bufX, RowY(1)}}, kResetColour, false);
    outX = bufX + bufW;
  }
  Wire(svg, {{outX, RowY(0)}, {215, RowY(0)}, {215, 55}, {right + 52, 55}, {right + 52, RowY(2)}, {right, RowY(2)}},
       kClockColour, true);
  Wire(svg, {{outX, RowY(1)}, {225, RowY(1)}, {225, 63}, {right + 42, 63}, {right + 42, RowY(1)}, {right, RowY(1)}},
       kResetColour, true);
  // Data comes straight back to the FTDI chip, whose inputs take 5 V.
  Wire(svg, {{ftdiX + ftdiW, RowY(2)}, {240, RowY(2)}, {240, RowY(0)}, {left, RowY(0)}}, kDataColour, true, true);
  Wire(svg, {{ftdiX + ftdiW, RowY(3)}, {250, RowY(3)}, {250, RowY(2)}, {left, RowY(2)}}, kSupplyColour, false);
  Wire(svg, {{ftdiX + ftdiW, RowY(4)}, {260, RowY(4)}, {260, RowY(3)}, {left, RowY(3)}}, kGroundColour, false);
  // 100 nF across VCC and GND, at the chip.
  const int capX = 285, plate = (RowY(2) + RowY(3)) / 2;
  svg << "  <polyline points=\"" << capX << ',' << RowY(2) << ' ' << capX << ',' << plate - 4
      << "\" class=\"cap\"/>\n"
      << "  <polyline points=\"" << capX << ',' << plate + 4 << ' ' << capX << ',' << RowY(3)
      << "\" class=\"cap\"/>\n"
      << "  <line x1=\"" << capX - 7 << "\" y1=\"" << plate - 4 << "\" x2=\"" << capX + 7 << "\" y2=\""
      << plate - 4 << "\" class=\"cap\"/>\n"
      << "  <line x1=\"" << capX - 7 << "\" y1=\"" << plate + 4 << "\" x2=\"" << capX + 7 << "\" y2=\""
      << plate + 4 << "\" class=\"cap\"/>\n";
  Text(svg, capX, RowY(3) + 18, "small", "100 nF");

  Text(svg, kPanelWidth / 2, ftdiBottom + 28, "pins", board.pins);
  Text(svg, kPanelWidth / 2, ftdiBottom + 48, "note", board.note);
  Text(svg, kPanelWidth / 2, ftdiBottom + 66, "note", "PROM at 5 V, 100 nF at the chip, no pull-ups");
  svg << "  </g>\n";
}

std::string Diagram() {
  const std::vector<Board> boards = {
      {"Default board: FT232R", "TXD D0", "RXD D1", "DTR D4", "5V",
       "default: clock=D0,reset=D1,data=D4", false, "VCCIO at 5 V"},
      {"FT232RL breakout, 6-pin header", "TXD D0", "RXD D1", "CTS D3", "VCC",
       "--pins clock=TXD,reset=RXD,data=CTS", false, "I/O jumper at 5 V (VCC is then 5 V)"},
      {"FT232H board", "AD0 D0", "AD1 D1", "AD2 D2", "5V", "--pins clock=AD0,reset=AD1,data=AD2", true,
       "3.3 V outputs: clock and reset up to 5 V; data in direct"},
      {"FT2232H board, port A", "ADBUS0 D0", "ADBUS1 D1", "ADBUS2 D2", "5V",
       "--pins clock=ADBUS0,reset=ADBUS1,data=ADBUS2", true,
       "3.3 V outputs: clock and reset up to 5 V; data in direct"},
  };
  std::ostringstream svg;
  const int columns = 2;
  const int rows = (static_cast<int>(boards.size()) + columns - 1) / columns;
  const int width = kPanelWidth * columns, height = kPanelHeight * rows;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<!-- SPDX-License-Identifier: GPL-3.0-or-later -->\n"
      << "<!-- Made by docs/wiring/MakeWiringDiagram.cpp; edit that, not this. -->\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
      << "\" viewBox=\"0 0 " << width << ' ' << height << "\" font-family=\"sans-serif\">\n"
      << "  <title>Wiring an RP5H01 to FTDI bit-bang programmers</title>\n"
      << "  <style>\n"
      << "    .title { font-size: 15px; font-weight: bold; text-anchor: middle; }\n"
      << "    .label { font-size: 12px; font-weight: bold; text-anchor: middle; }\n"
      << "    .pin { font-size: 11px; font-family: monospace; }\n"
      << "    .tie { font-size: 11px; font-style: italic; }\n"
      << "    .small { font-size: 10px; text-anchor: middle; }\n"
      << "    .right { text-anchor: end; }\n"
      << "    .left { text-anchor: start; }\n"
      << "    .pins { font-size: 12px; font-family: monospace; text-anchor: middle; }\n"
      << "    .note { font-size: 12px; font-style: italic; text-anchor: middle; }\n"
      << "    .chip { fill: #f4f4f4; stroke: #222222; stroke-width: 1.5; }\n"
      << "    .buffer { fill: #fff8e0; stroke: #222222; stroke-width: 1.2; }\n"
      << "    .dot { fill: #222222; }\n"
      << "    .stub, .cap { fill: none; stroke: #222222; stroke-width: 2; }\n"
      << "    .wire { fill: none; stroke-width: 2; }\n"
      << "  </style>\n"
      << "  <defs>\n"
      << "    <marker id=\"arrow\" markerUnits=\"userSpaceOnUse\" markerWidth=\"8\" markerHeight=\"8\" refX=\"7\" refY=\"4\" orient=\"auto\">"
         "<path d=\"M0,0 L8,4 L0,8 z\" fill=\"#222222\"/></marker>\n"
      << "    <marker id=\"back\" markerUnits=\"userSpaceOnUse\" markerWidth=\"8\" markerHeight=\"8\" refX=\"1\" refY=\"4\" orient=\"auto\">"
         "<path d=\"M8,0 L0,4 L8,8 z\" fill=\"#222222\"/></marker>\n"
      << "  </defs>\n"
      << "  <rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  for (std::size_t i = 0; i < boards.size(); ++i) {
    const int column = static_cast<int>(i) % columns, row = static_cast<int>(i) / columns;
    DrawBoard(svg, boards[i], column * kPanelWidth, row * kPanelHeight);
  }
  svg << "</svg>\n";
  return svg.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-wiring-diagram OUTPUT.svg\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << Diagram();
  out.close();
  if (!out) {
    std::cerr << "make-wiring-diagram: cannot write " << argv[1] << '\n';
    return 3;
  }
  return 0;
}
