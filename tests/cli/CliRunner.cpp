// Child-process runner and the tests' own model of the file layouts.
#include "CliRunner.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace quarrow::testing {

namespace fs = std::filesystem;

Bytes ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

namespace {
std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::string& stdoutPath) {
  TempFolder capture;
  const std::string outPath = stdoutPath.empty() ? (capture / "out").string() : stdoutPath;
  const std::string errPath = capture / "err";

  std::vector<std::string> argvStrings{QUARROW_CLI_PATH};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argvStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  // Standard error is a file, not a terminal, so no progress bar is drawn into the capture.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + argvStrings[0]);

  int wstatus = 0;
  while (waitpid(pid, &wstatus, 0) < 0) {
  }
  CliRun run;
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  if (stdoutPath.empty()) run.out = Slurp(outPath);
  run.err = Slurp(errPath);
  return run;
}

Bytes InvertMirrorBytes(const Bytes& bytes) {
  Bytes result;
  for (std::uint8_t b : bytes) {
    std::uint8_t mirrored = 0;
    for (int i = 0; i < 8; ++i) {
      if (b & (1u << i)) mirrored |= static_cast<std::uint8_t>(0x80u >> i);
    }
    result.push_back(static_cast<std::uint8_t>(~mirrored));
  }
  return result;
}

std::string TextOfRaw(Bytes raw) {
  raw.resize(16, 0x00);
  std::string text;
  char pair[3];
  for (std::size_t i = 0; i < 16; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", raw[i]);
    text += pair;
    if (i == 7) text += ' ';
  }
  return text;
}

std::string TableHashes(const Bytes& bytes) {
  const uLong crc = crc32(0L, bytes.data(), static_cast<uInt>(bytes.size()));
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha1(), nullptr) != 1) {
    throw std::runtime_error("SHA-1 failed");
  }
  char text[16];
  std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(crc));
  std::string result = std::string(text) + "\t";
  for (unsigned int i = 0; i < size; ++i) {
    std::snprintf(text, sizeof text, "%02x", digest[i]);
    result += text;
  }
  return result;
}

std::string IdentificationOfMame(const Bytes& mame) {
  const std::string hashes = TableHashes(mame);
  const std::size_t tab = hashes.find('\t');
  return "CRC(" + hashes.substr(0, tab) + ") SHA1(" + hashes.substr(tab + 1) + ")";
}

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "quarrow-cli-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace quarrow::testing
