// Programs under test run as child processes of a system test: started with chosen standard
// streams (and user), watched and waited for with time limits.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace corvane::systest {

struct ChildStreams {
  int in = -1;  // -1 = /dev/null
  int out = -1;
  int err = -1;
};

// Starts ARGV[0] with STREAMS, under UID (and its group) when given. Throws std::system_error.
pid_t StartChild(const std::vector<std::string>& argv, const ChildStreams& streams,
                 std::optional<uid_t> uid = std::nullopt);

// The child's wait status once it has ended, or nothing when it has not within TIMEOUT.
std::optional<int> WaitForChild(pid_t pid, std::chrono::milliseconds timeout);

// Kills the child if it is still running when the test leaves the scope early (a failed
// assertion): a program left running keeps its devices, and the VM from powering off.
class EndChildOnExit {
 public:
  explicit EndChildOnExit(pid_t pid) : pid_(pid) {}
  ~EndChildOnExit();
  EndChildOnExit(const EndChildOnExit&) = delete;
  EndChildOnExit& operator=(const EndChildOnExit&) = delete;

 private:
  pid_t pid_;
};

// Runs ARGV to its end (at most TIMEOUT; killed after it) and returns its wait status.
int RunChild(const std::vector<std::string>& argv, std::chrono::milliseconds timeout);

// The processor time (user and system) the process has used so far, in seconds.
double CpuSeconds(pid_t pid);

// The text lines written into a pipe, read as they come.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}  // takes the descriptor over
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next whole line without its end, or nothing when none came within TIMEOUT or the
  // writer closed the pipe.
  std::optional<std::string> Next(std::chrono::milliseconds timeout);

 private:
  int fd_;
  std::string pending_;
};

std::string ReadFile(const std::string& path);

}  // namespace corvane::systest
