// SPDX-License-Identifier: GPL-3.0-or-later
// The window program on a real X server: when another client destroys its window, the program ends
// as a close ends it, instead of running on with no window.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace quarrow::testing {
namespace {

using Clock = std::chrono::steady_clock;

pid_t Spawn(std::vector<std::string> args, const std::vector<std::string>& environment) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::dup2(null, fd);
    for (const std::string& variable : environment) ::putenv(const_cast<char*>(variable.c_str()));
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

// Waits up to `seconds` for the child to end; its exit status, or -1.
int WaitFor(pid_t pid, int seconds) {
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (Clock::now() < deadline) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return -1;
}

// An X server of the test's own, on a display number it chooses itself.
class XServer {
 public:
  XServer() {
    int numbers[2];
    if (::pipe(numbers) != 0) return;
    pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(numbers[1]), "-nolisten", "tcp", "-screen", "0",
                  "800x600x24"},
                 {});
    ::close(numbers[1]);
    // The number, then a newline, once the server accepts clients.
    std::string number;
    char c = 0;
    while (::read(numbers[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(numbers[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~XServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// The first mapped top-level window, or 0: on the test's own server, the window program's.
xcb_window_t MappedTopLevel(xcb_connection_t* connection) {
  using Tree = std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)>;
  using Attributes = std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)>;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const Tree tree(xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr),
                  &std::free);
  if (!tree) return 0;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
    const Attributes attributes(
        xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, children[i]), nullptr),
        &std::free);
    if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE) return children[i];
  }
  return 0;
}

TEST(WindowDestroyed, ByAnotherClientEndsTheProgramAsACloseDoes) {
  const XServer server;
  if (server.Display().empty()) GTEST_SKIP() << "no Xvfb (scripts/install-deps installs it)";
  // Qt's xcb platform reads events on a thread of its own and synchronises it with locks the
  // sanitizers cannot see, and keeps allocations until exit; the window's own code is covered under
  // the sanitizers by the app tests, on the offscreen platform.
  const pid_t window = Spawn({QUARROW_APP_PATH, "--simulate"},
                             {"DISPLAY=" + server.Display(), "QT_QPA_PLATFORM=xcb",
                              "ASAN_OPTIONS=detect_leaks=0", "TSAN_OPTIONS=report_bugs=0"});

  xcb_connection_t* connection = xcb_connect(server.Display().c_str(), nullptr);
  ASSERT_EQ(xcb_connection_has_error(connection), 0);
  xcb_window_t found = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (found == 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    found = MappedTopLevel(connection);
  }
  EXPECT_NE(found, 0u) << "the window never appeared";
  if (found != 0) {
    xcb_destroy_window(connection, found);
    xcb_flush(connection);
  }
  EXPECT_EQ(WaitFor(window, 10), 0);
  xcb_disconnect(connection);
}

}  // namespace
}  // namespace quarrow::testing
