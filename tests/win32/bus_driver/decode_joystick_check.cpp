// Runs `corvane-decode --json --joystick SIGNAL` and checks what reached the joystick bus:
//
//   decode_joystick_check bus DECODE.exe SIGNAL.wav
//     with the test bus driver installed: its first interface received Open's zero state,
//     the port description and the expose record, then one state per printed buffer, the
//     very report printed, in order, and at the end the remove request;
//   decode_joystick_check none DECODE.exe SIGNAL.wav
//     without a device of the bus class: the tool says so in one line and decodes on.
//
// Either way the tool must end with status 0 and print at least one decoded buffer.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_bus_client.h"
#include "test_bus_log.h"

namespace {

using corvane::testing::LoggedRequest;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kExpose = 0x2A0000;
constexpr std::uint32_t kRemove = 0x2A0004;
constexpr std::uint32_t kPort = 0x2A0008;
constexpr std::uint32_t kState = 0x2A2004;

int failures = 0;

void Check(bool ok, const std::string& what) {
  if (ok) return;
  std::fprintf(stderr, "FAILED: %s\n", what.c_str());
  ++failures;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// The report of each JSON line: "report": "<72 hex digits>".
bool Reports(const std::vector<std::string>& lines, std::vector<Bytes>& reports) {
  const std::string key = "\"report\": \"";
  for (const std::string& line : lines) {
    const std::size_t at = line.find(key);
    if (at == std::string::npos || line.size() < at + key.size() + 72) return false;
    Bytes report;
    for (std::size_t i = 0; i < 36; ++i) {
      report.push_back(static_cast<std::uint8_t>(std::stoul(line.substr(at + key.size() + 2 * i, 2), nullptr, 16)));
    }
    reports.push_back(report);
  }
  return true;
}

HANDLE Inheritable(const std::string& path) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
}

// Runs the command line with standard output and error to the two files; its exit status,
// or -1 when it could not be run.
long Run(std::string commandLine, const std::string& outPath, const std::string& errPath) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = Inheritable(outPath);
  startup.hStdError = Inheritable(errPath);
  PROCESS_INFORMATION process = {};
  const bool started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, 60000);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<long>(status);
}

Bytes Le32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

void CheckBusLog(const std::vector<LoggedRequest>& log, const std::vector<Bytes>& reports) {
  const std::size_t expected = 3 + reports.size() + 1;
  Check(log.size() == expected, "the driver received " + std::to_string(log.size()) + " requests, expected " +
                                    std::to_string(expected) + " (probe, port, expose, " +
                                    std::to_string(reports.size()) + " states, remove)");
  if (log.size() != expected) return;
  Check(log[0].code == kState && log[0].bytes == Bytes(36, 0), "first Open's zero state: " + Describe(log[0]));
  Check(log[1].code == kPort && log[1].bytes.size() == 40, "then the port description: " + Describe(log[1]));
  Check(log[2].code == kExpose && log[2].bytes.size() == 122, "then the expose record: " + Describe(log[2]));
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const LoggedRequest& state = log[3 + i];
    Check(state.code == kState && state.bytes == reports[i],
          "state " + std::to_string(i) + " is the printed report: " + Describe(state));
  }
  Bytes remove = Le32(8);
  const Bytes handle = Le32(TEST_BUS_HARDWARE_HANDLE);
  remove.insert(remove.end(), handle.begin(), handle.end());
  Check(log.back().code == kRemove && log.back().bytes == remove, "last the remove request: " + Describe(log.back()));
}

}  // namespace

int main(int argc, char** argv) {
  const bool withBus = argc == 4 && std::strcmp(argv[1], "bus") == 0;
  if (argc != 4 || (!withBus && std::strcmp(argv[1], "none") != 0)) {
    std::fprintf(stderr, "usage: decode_joystick_check bus|none DECODE.exe SIGNAL.wav\n");
    return 2;
  }
  const std::vector<std::string> paths = corvane::testing::GamePortBusPaths();
  std::string error;
  std::vector<LoggedRequest> log;
  if (withBus) {
    if (paths.empty()) {
      std::fprintf(stderr, "the test bus driver is not installed\n");
      return 1;
    }
    for (const std::string& path : paths) {
      if (!corvane::testing::TakeLog(path, log, error)) {  // start from an empty log
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
      }
    }
  } else if (!paths.empty()) {
    std::fprintf(stderr, "a device of the game-port bus class is installed: %s\n", paths[0].c_str());
    return 1;
  }

  const std::string out = std::string(argv[3]) + ".decode.out";
  const std::string err = std::string(argv[3]) + ".decode.err";
  const long status = Run(std::string("\"") + argv[2] + "\" --json --joystick \"" + argv[3] + "\"", out, err);
  const std::vector<std::string> printed = Lines(ReadFile(out));
  const std::vector<std::string> messages = Lines(ReadFile(err));
  std::vector<Bytes> reports;
  Check(status == 0, "corvane-decode ended with status " + std::to_string(status));
  Check(Reports(printed, reports), "every printed line holds a report");
  Check(!reports.empty(), "corvane-decode printed decoded buffers");

  if (withBus) {
    Check(messages.empty(), "corvane-decode printed no message" + (messages.empty() ? "" : ": " + messages[0]));
    Check(corvane::testing::TakeLog(paths[0], log, error), error);
    CheckBusLog(log, reports);
  } else {
    Check(messages.size() == 1, "corvane-decode said in one line that there is no joystick; it printed " +
                                    std::to_string(messages.size()) + " lines");
    for (const std::string& message : messages) std::fprintf(stderr, "corvane-decode: said \"%s\"\n", message.c_str());
  }
  std::printf("%zu decoded buffers, %s\n", reports.size(), failures == 0 ? "all checks passed" : "checks failed");
  return failures == 0 ? 0 : 1;
}
