#include "child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>

namespace corvane::systest {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// In the forked child: only async-signal-safe calls until exec.
void MoveStream(int from, int to) {
  if (from < 0) from = ::open("/dev/null", O_RDWR);
  if (from != to) ::dup2(from, to);
}

}  // namespace

pid_t StartChild(const std::vector<std::string>& argv, const ChildStreams& streams, std::optional<uid_t> uid) {
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) ThrowErrno("fork");
  if (pid == 0) {
    MoveStream(streams.in, STDIN_FILENO);
    MoveStream(streams.out, STDOUT_FILENO);
    MoveStream(streams.err, STDERR_FILENO);
    if (uid && (::setgroups(0, nullptr) != 0 || ::setgid(*uid) != 0 || ::setuid(*uid) != 0)) ::_exit(126);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  return pid;
}

std::optional<int> WaitForChild(pid_t pid, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return status;
    if (done < 0 && errno != EINTR) ThrowErrno("waitpid");
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

EndChildOnExit::~EndChildOnExit() {
  int status = 0;
  // Not 0: it has ended (reaped now) or was reaped already.
  if (::waitpid(pid_, &status, WNOHANG) != 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, &status, 0);
}

int RunChild(const std::vector<std::string>& argv, std::chrono::milliseconds timeout) {
  const pid_t pid = StartChild(argv, {-1, -1, STDERR_FILENO});
  if (const auto status = WaitForChild(pid, timeout)) return *status;
  ::kill(pid, SIGKILL);
  return WaitForChild(pid, std::chrono::seconds(5)).value_or(-1);
}

double CpuSeconds(pid_t pid) {
  // The command name (field 2) is in parentheses and may hold spaces: skip past it.
  const std::string text = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  unsigned long long ticks = 0;
  for (int number = 3; number <= 15 && fields >> field; ++number) {
    if (number == 14 || number == 15) ticks += std::stoull(field);  // utime, stime
  }
  return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

LineReader::~LineReader() { ::close(fd_); }

std::optional<std::string> LineReader::Next(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (const auto end = pending_.find('\n'); end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd poll_fd{fd_, POLLIN, 0};
    if (::poll(&poll_fd, 1, static_cast<int>(left.count()) + 1) <= 0) continue;
    char buffer[4096];
    const ssize_t got = ::read(fd_, buffer, sizeof buffer);
    if (got == 0) return std::nullopt;
    if (got < 0 && errno != EINTR && errno != EAGAIN) ThrowErrno("read a child's output");
    if (got > 0) pending_.append(buffer, static_cast<std::size_t>(got));
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace corvane::systest
