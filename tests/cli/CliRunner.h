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

// Standard output goes to `stdoutPath` when it is given (its content is then not captured).
CliRun RunCli(const std::vector<std::string>& args, const std::string& stdoutPath = {});

// How a child is run beyond its arguments.
struct ChildSetUp {
  std::string program = QUARROW_CLI_PATH;
  std::string stdoutPath;                // standard output to this file instead of the capture
  std::vector<std::string> environment;  // NAME=VALUE added to the test's own
  long fileSizeLimit = -1;               // RLIMIT_FSIZE in bytes; -1 leaves it
  // Standard error is a terminal (so the progress bar is drawn); once it has shown this text, the
  // child is sent `signal`.
  std::string signalWhenErrShows;
  int signal = 0;
};
// Both outputs are captured through pipes, so a file-size limit touches only the files the child
// itself writes, and no progress bar is drawn; standard error is a terminal only when a signal is
// to be sent, so that the bar shows when the read is under way.
CliRun RunChild(const std::vector<std::string>& args, const ChildSetUp& setUp);

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);

// Converts between the layouts: each byte inverted and bit-mirrored, in place.
Bytes InvertMirrorBytes(const Bytes& bytes);
// The image text of a raw-layout file's first 16 bytes (missing bytes 00).
std::string TextOfRaw(Bytes raw);
// "CRC(...) SHA1(...)" of 16 MAME-layout bytes, computed here with zlib and OpenSSL.
std::string IdentificationOfMame(const Bytes& mame);

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace quarrow::testing
