# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the bytes of the table of known dumps into a C++ source file, so the programs carry the
# table without a hand-copied C++ copy of it. Run at build time:
#   cmake -DTABLE=known-rp5h01.tsv -DOUTPUT=KnownDumpsTsv.cpp -P EmbedKnownDumps.cmake
# The bytes go in as numbers, not as a string literal, so no quote, backslash or line ending in the
# table can change what the programs see.
if(NOT DEFINED TABLE OR NOT DEFINED OUTPUT)
  message(FATAL_ERROR "EmbedKnownDumps.cmake needs -DTABLE=<tsv file> and -DOUTPUT=<cpp file>")
endif()

file(READ "${TABLE}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes a line keeps the generated file readable in a debugger.
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")

file(WRITE "${OUTPUT}"
"// Generated from ${TABLE} by EmbedKnownDumps.cmake at build time. Do not edit.
#include <cstddef>

namespace quarrow::generated {

extern const unsigned char kKnownDumpsTsv[];
extern const std::size_t kKnownDumpsTsvSize;

const unsigned char kKnownDumpsTsv[] = {
    ${bytes}0x00};
const std::size_t kKnownDumpsTsvSize = ${size};

}  // namespace quarrow::generated
")
