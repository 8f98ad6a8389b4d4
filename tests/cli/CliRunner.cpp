// Child-process runner and the tests' own model of the file layouts.
#include "CliRunner.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

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

CliRun RunCli(const std::vector<std::string>& args, const std::string& stdoutPath) {
  ChildSetUp setUp;
  setUp.stdoutPath = stdoutPath;
  return RunChild(args, setUp);
}

CliRun RunChild(const std::vector<std::string>& args, const ChildSetUp& setUp) {
  std::vector<std::string> argvStrings{setUp.program};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argvStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  int out[2];
  int err[2];
  if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
  if (setUp.signal != 0) {
    err[0] = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (err[0] < 0 || ::grantpt(err[0]) != 0 || ::unlockpt(err[0]) != 0) {
      throw std::runtime_error("no pseudo-terminal");
    }
    err[1] = ::open(::ptsname(err[0]), O_RDWR | O_NOCTTY);
  } else if (::pipe(err) != 0) {
    throw std::runtime_error("pipe failed");
  }

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int stdoutFile = setUp.stdoutPath.empty()
                               ? -1
                               : ::open(setUp.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(stdoutFile >= 0 ? stdoutFile : out[1], STDOUT_FILENO);
    if (stdoutFile >= 0) ::close(stdoutFile);
    ::dup2(err[1], STDERR_FILENO);
    const int in = ::open("/dev/null", O_RDONLY);
    ::dup2(in, STDIN_FILENO);
    for (int fd : {out[0], out[1], err[0], err[1], in}) ::close(fd);
    for (const std::string& variable : setUp.environment) {
      ::putenv(const_cast<char*>(variable.c_str()));
    }
    if (setUp.fileSizeLimit >= 0) {
      const auto bytes = static_cast<rlim_t>(setUp.fileSizeLimit);
      const rlimit limit{bytes, bytes};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);

  CliRun run;
  bool signalled = setUp.signal == 0;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* into[2] = {&run.out, &run.err};
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    ::poll(fds, 2, -1);
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {  // a terminal whose other side is closed reports EIO
        ::close(fds[i].fd);
        fds[i].fd = -1;
        continue;
      }
      into[i]->append(buffer, static_cast<std::size_t>(n));
    }
    if (!signalled && run.err.find(setUp.signalWhenErrShows) != std::string::npos) {
      ::kill(pid, setUp.signal);
      signalled = true;
    }
  }
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0) {
  }
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
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

std::string IdentificationOfMame(const Bytes& mame) {
  const uLong crc = crc32(0L, mame.data(), static_cast<uInt>(mame.size()));
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(mame.data(), mame.size(), digest, &size, EVP_sha1(), nullptr) != 1) {
    throw std::runtime_error("SHA-1 failed");
  }
  char text[16];
  std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(crc));
  std::string result = "CRC(" + std::string(text) + ") SHA1(";
  for (unsigned int i = 0; i < size; ++i) {
    std::snprintf(text, sizeof text, "%02x", digest[i]);
    result += text;
  }
  return result + ")";
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
