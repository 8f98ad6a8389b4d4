// Runs quarrow-cli as a child process with posix_spawn.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "CliRunner.h"

extern char** environ;

namespace quarrow::testing {

namespace {
std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::string& stdoutPath,
              const std::filesystem::path& program) {
  TempFolder capture;
  const std::string outPath = stdoutPath.empty() ? (capture / "out").string() : stdoutPath;
  const std::string errPath = capture / "err";

  std::vector<std::string> argvStrings{program.empty() ? QUARROW_CLI_PATH : program.string()};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argvStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

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

}  // namespace quarrow::testing
