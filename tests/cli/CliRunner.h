// SPDX-License-Identifier: GPL-3.0-or-later
// Runs quarrow-cli as a child process and captures its output; plus the test's own, independent
// model of the two file layouts, the image text and MAME's identification.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quarrow::testing {

struct CliRun {
  int status = -1;  // exit status, or -1 if the process did not exit normally
  std::string out;
  std::string err;
};

// Runs the built quarrow-cli, or `program` when given, with standard input empty and standard error
// captured, not a terminal (so no progress bar is drawn). Standard output goes to `stdoutPath` when
// it is given (its content is then not captured). Arguments are UTF-8. On Windows, line ends are
// given back as "\n".
CliRun RunCli(const std::vector<std::string>& args, const std::string& stdoutPath = {},
              const std::filesystem::path& program = {});

#ifndef _WIN32
// How a child is run beyond its arguments.
struct ChildSetUp {
  std::string program = QUARROW_CLI_PATH;
  std::string stdoutPath;                // standard output to this file instead of the capture
  std::vector<std::string> environment;  // NAME=VALUE added to the test's own
  long fileSizeLimit = -1;               // RLIMIT_FSIZE in bytes; -1 leaves it
  std::string input;                     // standard input, from a pipe; empty: /dev/null
  // The pipe stays open, as for a person yet to answer, until the child ends or 10 s after the
  // signal (so that a child that missed it still ends).
  bool holdInput = false;
  // Standard error is a terminal (so the progress bar is drawn); once it has shown this text, the
  // child is sent `signal`.
  std::string signalWhenErrShows;
  int signal = 0;
  // Standard error is a terminal this many characters wide (0: no terminal unless for a signal).
  unsigned short terminalColumns = 0;
};
// Both outputs are captured through pipes, so a file-size limit touches only the files the child
// itself writes, and no progress bar is drawn; standard error is a terminal only when a signal is
// to be sent, so that the bar shows when the read is under way.
CliRun RunChild(const std::vector<std::string>& args, const ChildSetUp& setUp);
#endif

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);
// 16 bytes drawn from `seed`: a chip's or file's content no table knows.
Bytes RandomBytes(unsigned seed);
// `text` cut at each `separator` (a last, empty piece after a final separator is left out).
std::vector<std::string> Split(const std::string& text, char separator);

// Converts between the layouts: each byte inverted and bit-mirrored, in place.
Bytes InvertMirrorBytes(const Bytes& bytes);
// The image text of a raw-layout file's first 16 bytes (missing bytes 00).
std::string TextOfRaw(Bytes raw);
// "CRC(...) SHA1(...)" of 16 file bytes (the MAME layout's, or the raw layout's for a command that
// works in it), computed here with zlib and OpenSSL.
std::string IdentificationOfMame(const Bytes& mame);
// The same two hashes as a table of known dumps holds them: "crc32<TAB>sha1".
std::string TableHashes(const Bytes& bytes);

// The identification line of an image that is none of the 64 built-in dumps.
inline constexpr const char* kUnknownDumpLine =
    "Not a known dump: none of the 64 dumps in the table matches - if the read is sound, the dump "
    "may be worth sending to MAME\n";
// The same for an image a diagnosis calls broken (all bits 0 or 1, blank, TEST low): nothing to
// send anyone.
inline constexpr const char* kUnknownBrokenDumpLine =
    "Not a known dump: none of the 64 dumps in the table matches\n";

// The system's words for "no such file" and "no such folder", as the program reports them.
std::string NoSuchFileText();
std::string NoSuchFolderText();

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& path() const { return path_; }
  // `name` is UTF-8, as the tests' source text is.
  std::filesystem::path operator/(const std::string& name) const {
    return path_ / std::u8string(name.begin(), name.end());
  }

 private:
  std::filesystem::path path_;
};

}  // namespace quarrow::testing
