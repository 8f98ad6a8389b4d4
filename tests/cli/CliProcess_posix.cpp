// SPDX-License-Identifier: GPL-3.0-or-later
// Runs quarrow-cli (or another program) as a child process, capturing its output through pipes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "CliRunner.h"

namespace quarrow::testing {

CliRun RunCli(const std::vector<std::string>& args, const std::string& stdoutPath,
              const std::filesystem::path& program) {
  ChildSetUp setUp;
  if (!program.empty()) setUp.program = program.string();
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
  if (setUp.signal != 0 || setUp.terminalColumns != 0) {
    err[0] = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (err[0] < 0 || ::grantpt(err[0]) != 0 || ::unlockpt(err[0]) != 0) {
      throw std::runtime_error("no pseudo-terminal");
    }
    err[1] = ::open(::ptsname(err[0]), O_RDWR | O_NOCTTY);
    const winsize size{24, setUp.terminalColumns, 0, 0};
    if (setUp.terminalColumns != 0 && ::ioctl(err[1], TIOCSWINSZ, &size) != 0) {
      throw std::runtime_error("cannot set the terminal's width");
    }
  } else if (::pipe(err) != 0) {
    throw std::runtime_error("pipe failed");
  }

  // Small enough for the pipe's buffer, so it is all written before the child starts.
  int input[2] = {-1, -1};
  if (!setUp.input.empty() || setUp.holdInput) {
    if (::pipe(input) != 0 ||
        ::write(input[1], setUp.input.data(), setUp.input.size()) !=
            static_cast<ssize_t>(setUp.input.size())) {
      throw std::runtime_error("cannot set up standard input");
    }
    if (!setUp.holdInput) {
      ::close(input[1]);
      input[1] = -1;
    }
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
    const int in = input[0] >= 0 ? input[0] : ::open("/dev/null", O_RDONLY);
    ::dup2(in, STDIN_FILENO);
    for (int fd : {out[0], out[1], err[0], err[1], in, input[1]}) ::close(fd);
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
  if (input[0] >= 0) ::close(input[0]);

  CliRun run;
  bool signalled = setUp.signal == 0;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* into[2] = {&run.out, &run.err};
  int pollsAfterSignal = 0;
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    if (::poll(fds, 2, signalled && input[1] >= 0 ? 100 : -1) == 0 && ++pollsAfterSignal == 100) {
      ::close(input[1]);
      input[1] = -1;
    }
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
      // A child waiting for input shows its prompt just before it blocks in read(); the pause
      // lets it get there, as a person's key press would.
      if (setUp.holdInput) ::usleep(100'000);
      ::kill(pid, setUp.signal);
      signalled = true;
    }
  }
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0) {
  }
  if (input[1] >= 0) ::close(input[1]);
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return run;
}

}  // namespace quarrow::testing
