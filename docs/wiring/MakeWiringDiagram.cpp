// SPDX-License-Identifier: GPL-3.0-or-later
// Draws docs/wiring.svg, the README's wiring diagram: how the RP5H01's lines meet the FTDI pins on
// the default board, an FT232RL breakout's six-pin header and an FT232H board, with the --pins line
// of each. Run by hand when the picture changes, and commit its output:
//   cmake --build <dir> --target make-wiring-diagram && <dir>/docs/make-wiring-diagram docs/wiring.svg
// The test wiring_diagram_is_current checks that the committed picture is this program's output.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Wire {
  std::string from;   // the FTDI side: pin name as printed on the board, and its bit-bang number
  std::string to;     // the PROM's line
  std::string colour;
  bool fromProm;      // data flows from the PROM to the FTDI chip
};

struct Board {
  std::string title;
  std::string pins;  // the --pins line
  std::string note;
  std::vector<Wire> wires;
};

// The PROM's lines, top to bottom. TEST high makes all 128 bits reachable (low, the counter wraps
// at 64); /CE low enables the chip.
const std::vector<std::string> kPromLines = {"CLOCK", "RESET", "DATA", "TEST", "/CE", "VCC", "GND"};

constexpr int kPanelWidth = 330;
constexpr int kPanelHeight = 350;
constexpr int kRow = 30;
constexpr int kTop = 90;

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

int PromRow(const std::string& line) {
  for (std::size_t i = 0; i < kPromLines.size(); ++i) {
    if (kPromLines[i] == line) return static_cast<int>(i);
  }
  return 0;
}

void DrawBoard(std::ostream& svg, const Board& board, int x0) {
  const int ftdiX = x0 + 10, ftdiW = 110, promX = x0 + 220, promW = 90;
  svg << "  <text x=\"" << x0 + kPanelWidth / 2 << "\" y=\"24\" class=\"title\">" << Escaped(board.title)
      << "</text>\n";
  // The FTDI side lists each wire's source once, in the order of the wires.
  std::vector<std::string> sources;
  for (const Wire& wire : board.wires) {
    bool seen = false;
    for (const auto& s : sources) seen = seen || s == wire.from;
    if (!seen) sources.push_back(wire.from);
  }
  const int boxH = static_cast<int>(kPromLines.size()) * kRow + 10;
  svg << "  <rect x=\"" << ftdiX << "\" y=\"" << kTop - 25 << "\" width=\"" << ftdiW << "\" height=\""
      << boxH << "\" class=\"chip\"/>\n"
      << "  <text x=\"" << ftdiX + ftdiW / 2 << "\" y=\"" << kTop - 30 << "\" class=\"label\">FTDI</text>\n"
      << "  <rect x=\"" << promX << "\" y=\"" << kTop - 25 << "\" width=\"" << promW << "\" height=\"" << boxH
      << "\" class=\"chip\"/>\n"
      << "  <text x=\"" << promX + promW / 2 << "\" y=\"" << kTop - 30 << "\" class=\"label\">RP5H01</text>\n";
  for (std::size_t i = 0; i < sources.size(); ++i) {
    svg << "  <text x=\"" << ftdiX + ftdiW - 8 << "\" y=\"" << kTop + static_cast<int>(i) * kRow + 4
        << "\" class=\"pin right\">" << Escaped(sources[i]) << "</text>\n";
  }
  for (std::size_t i = 0; i < kPromLines.size(); ++i) {
    svg << "  <text x=\"" << promX + 8 << "\" y=\"" << kTop + static_cast<int>(i) * kRow + 4
        << "\" class=\"pin left\">" << Escaped(kPromLines[i]) << "</text>\n";
  }
  // Each wire leaves its pin, turns at a column of its own between the chips, and meets its line.
  for (std::size_t w = 0; w < board.wires.size(); ++w) {
    const Wire& wire = board.wires[w];
    int source = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      if (sources[i] == wire.from) source = static_cast<int>(i);
    }
    const int y1 = kTop + source * kRow, y2 = kTop + PromRow(wire.to) * kRow;
    const int xa = ftdiX + ftdiW, xb = promX, xm = xa + 14 + static_cast<int>(w) * 10;
    svg << "  <polyline points=\"" << xa << ',' << y1 << ' ' << xm << ',' << y1 << ' ' << xm << ',' << y2
        << ' ' << xb << ',' << y2 << "\" stroke=\"" << wire.colour << "\" class=\"wire\" "
        << (wire.fromProm ? "marker-start=\"url(#back)\"" : "marker-end=\"url(#arrow)\"") << "/>\n";
  }
  svg << "  <text x=\"" << x0 + kPanelWidth / 2 << "\" y=\"" << kTop + boxH + 10 << "\" class=\"pins\">"
      << Escaped(board.pins) << "</text>\n"
      << "  <text x=\"" << x0 + kPanelWidth / 2 << "\" y=\"" << kTop + boxH + 30 << "\" class=\"note\">"
      << Escaped(board.note) << "</text>\n";
}

std::string Diagram() {
  const std::string clock = "#1f77b4", reset = "#d62728", data = "#2ca02c", supply = "#ff7f0e", ground = "#555555";
  const std::vector<Board> boards = {
      {"Default board: FT232R",
       "default: clock=D0,reset=D1,data=D4",
       "VCCIO at 5 V",
       {{"TXD D0", "CLOCK", clock, false}, {"RXD D1", "RESET", reset, false}, {"DTR D4", "DATA", data, true},
        {"5V", "TEST", supply, false}, {"5V", "VCC", supply, false}, {"GND", "/CE", ground, false},
        {"GND", "GND", ground, false}}},
      {"FT232RL breakout, 6-pin header",
       "--pins clock=TXD,reset=RXD,data=CTS",
       "set the board's I/O jumper to 5 V",
       {{"TXD D0", "CLOCK", clock, false}, {"RXD D1", "RESET", reset, false}, {"CTS D3", "DATA", data, true},
        {"VCC 5V", "TEST", supply, false}, {"VCC 5V", "VCC", supply, false}, {"GND", "/CE", ground, false},
        {"GND", "GND", ground, false}}},
      {"FT232H board",
       "--pins clock=D0,reset=D1,data=D2",
       "3.3 V outputs: check the PROM's input levels",
       {{"AD0 D0", "CLOCK", clock, false}, {"AD1 D1", "RESET", reset, false}, {"AD2 D2", "DATA", data, true},
        {"5V", "TEST", supply, false}, {"5V", "VCC", supply, false}, {"GND", "/CE", ground, false},
        {"GND", "GND", ground, false}}},
  };
  std::ostringstream svg;
  const int width = kPanelWidth * static_cast<int>(boards.size());
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<!-- SPDX-License-Identifier: GPL-3.0-or-later -->\n"
      << "<!-- Made by docs/wiring/MakeWiringDiagram.cpp; edit that, not this. -->\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << kPanelHeight
      << "\" viewBox=\"0 0 " << width << ' ' << kPanelHeight << "\" font-family=\"sans-serif\">\n"
      << "  <title>Wiring an RP5H01 to FTDI bit-bang programmers</title>\n"
      << "  <style>\n"
      << "    .title { font-size: 15px; font-weight: bold; text-anchor: middle; }\n"
      << "    .label { font-size: 13px; font-weight: bold; text-anchor: middle; }\n"
      << "    .pin { font-size: 12px; font-family: monospace; }\n"
      << "    .right { text-anchor: end; }\n"
      << "    .left { text-anchor: start; }\n"
      << "    .pins { font-size: 12px; font-family: monospace; text-anchor: middle; }\n"
      << "    .note { font-size: 12px; font-style: italic; text-anchor: middle; }\n"
      << "    .chip { fill: #f4f4f4; stroke: #222222; stroke-width: 1.5; }\n"
      << "    .wire { fill: none; stroke-width: 2; }\n"
      << "  </style>\n"
      << "  <defs>\n"
      << "    <marker id=\"arrow\" markerUnits=\"userSpaceOnUse\" markerWidth=\"8\" markerHeight=\"8\" refX=\"7\" refY=\"4\" orient=\"auto\">"
         "<path d=\"M0,0 L8,4 L0,8 z\" fill=\"#222222\"/></marker>\n"
      << "    <marker id=\"back\" markerUnits=\"userSpaceOnUse\" markerWidth=\"8\" markerHeight=\"8\" refX=\"1\" refY=\"4\" orient=\"auto\">"
         "<path d=\"M8,0 L0,4 L8,8 z\" fill=\"#222222\"/></marker>\n"
      << "  </defs>\n"
      << "  <rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  for (std::size_t i = 0; i < boards.size(); ++i) DrawBoard(svg, boards[i], static_cast<int>(i) * kPanelWidth);
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
