// corvane_joystick_check: reads the Corvane joystick as a game does, through the HID API,
// the multimedia joystick functions or DirectInput 8, and checks what it reads against
// the reports that `corvane-decode --json` printed.
//
//   corvane_joystick_check read --via hid|winmm|dinput [--expect DECODE.json]
//                          [--rests-at-centre] [--ready FILE] [--states N] [--timeout S]
//     Waits for the joystick (up to S seconds, default 30), then prints each state it
//     reads as one JSON line, {"via": …, "values": […], "buttons": "0100000000",
//     "report": "<72 hex digits>"}, where "report" is the report that the values stand
//     for under the interface's scaling, in the form corvane-decode prints it. It stops
//     when the joystick is gone, after N states or after S seconds. HID gives each input
//     report; winmm and DirectInput are polled, and a state is printed when it changes.
//     --ready FILE     creates FILE once the joystick is open and its first state read
//     --rests-at-centre  the first state must be the new joystick's: axes 512, no button
//     --expect FILE    every state after that must be a report of FILE, in FILE's order:
//                      through HID each the next one, polled each a later one; and at
//                      least half of FILE's reports must be seen
//   corvane_joystick_check gone [--timeout S]
//     Waits until none of the three interfaces shows the joystick.
// Exit status 0 when every check held, 1 when one failed, 2 for a wrong command line.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game_interfaces.h"
#include "joystick_state.h"

namespace {

using namespace corvane::joycheck;
using Clock = std::chrono::steady_clock;

constexpr char kUsage[] =
    "usage: corvane_joystick_check read --via hid|winmm|dinput [--expect DECODE.json] [--rests-at-centre]\n"
    "                              [--ready FILE] [--states N] [--timeout SECONDS]\n"
    "       corvane_joystick_check gone [--timeout SECONDS]\n";

struct Options {
  std::string command;
  std::string via;
  std::string expectPath;
  std::string readyPath;
  bool restsAtCentre = false;
  long states = 0;  // 0: no limit
  double timeoutSeconds = 30;
};

bool ParseOptions(int argc, char** argv, Options& o) {
  if (argc < 2) return false;
  o.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--rests-at-centre") {
      o.restsAtCentre = true;
    } else if (!hasValue) {
      return false;
    } else if (arg == "--via") {
      o.via = argv[++i];
    } else if (arg == "--expect") {
      o.expectPath = argv[++i];
    } else if (arg == "--ready") {
      o.readyPath = argv[++i];
    } else if (arg == "--states") {
      o.states = std::strtol(argv[++i], nullptr, 10);
    } else if (arg == "--timeout") {
      o.timeoutSeconds = std::strtod(argv[++i], nullptr);
    } else {
      return false;
    }
  }
  return o.command == "gone" || (o.command == "read" && !o.via.empty());
}

bool ReadExpected(const std::string& path, std::vector<SentState>& expected) {
  std::ifstream in(path);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    if (const auto state = StateOfJsonLine(line)) expected.push_back(*state);
  }
  return !expected.empty();
}

// The sent state that the interface's values stand for, when there is one.
std::optional<SentState> SentStateOf(const GameInterface& via, const InterfaceState& shown) {
  SentState sent;
  sent.buttons = shown.buttons;
  sent.axes.fill(-1);
  for (std::int32_t value = 0; value <= 1023; ++value) {
    SentState probe;
    probe.axes.fill(value);
    const InterfaceState scaled = via.ToInterface(probe);
    for (int axis = 0; axis < kAxes; ++axis) {
      if (sent.axes[axis] < 0 && scaled.axes[axis] == shown.axes[axis]) sent.axes[axis] = value;
    }
  }
  for (std::int32_t axis : sent.axes) {
    if (axis < 0) return std::nullopt;
  }
  return sent;
}

void PrintState(const std::string& via, const InterfaceState& shown, const std::optional<SentState>& sent) {
  std::printf("{\"via\": \"%s\", \"values\": [", via.c_str());
  for (int axis = 0; axis < kAxes; ++axis)
    std::printf(axis == 0 ? "%ld" : ", %ld", static_cast<long>(shown.axes[axis]));
  std::printf("], \"buttons\": \"");
  for (bool pressed : shown.buttons) std::putchar(pressed ? '1' : '0');
  std::printf("\", \"report\": \"%s\"}\n", sent ? ReportHex(*sent).c_str() : "?");
  std::fflush(stdout);
}

// Follows the states read through the expected reports.
class ExpectedReports {
 public:
  ExpectedReports(const GameInterface& via, std::vector<SentState> reports, bool eachNext)
      : via_(via), reports_(std::move(reports)), eachNext_(eachNext) {}

  // False, with `why`, when the state is no report where one may come.
  bool Take(const InterfaceState& shown, std::string& why) {
    if (next_ == 0 && via_.AtRest(shown)) return true;  // at rest before the first
    const std::size_t last = eachNext_ ? next_ + 1 : reports_.size();
    for (std::size_t k = next_; k < last && k < reports_.size(); ++k) {
      if (shown == via_.ToInterface(reports_[k])) {
        next_ = k + 1;
        ++seen_;
        return true;
      }
    }
    why = eachNext_
              ? "it is not report " + std::to_string(next_ + 1) + " of " + std::to_string(reports_.size())
              : "it is no report after report " + std::to_string(next_) + " of " +
                    std::to_string(reports_.size());
    return false;
  }

  std::size_t Seen() const { return seen_; }
  std::size_t Count() const { return reports_.size(); }

 private:
  const GameInterface& via_;
  std::vector<SentState> reports_;
  bool eachNext_;
  std::size_t next_ = 0;  // the first report that may come
  std::size_t seen_ = 0;
};

constexpr long kFailuresShown = 5;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

int Read(const Options& o) {
  std::unique_ptr<GameInterface> via = MakeGameInterface(o.via);
  if (!via) return 2;
  std::optional<ExpectedReports> expected;
  if (!o.expectPath.empty()) {
    std::vector<SentState> reports;
    if (!ReadExpected(o.expectPath, reports)) {
      std::fprintf(stderr, "corvane_joystick_check: no reports in %s\n", o.expectPath.c_str());
      return 1;
    }
    expected.emplace(*via, std::move(reports), o.via == "hid");
  }
  const auto start = Clock::now();
  while (!via->Find()) {
    if (SecondsSince(start) > o.timeoutSeconds) {
      std::fprintf(stderr, "corvane_joystick_check: no joystick through %s within %.0f s\n", o.via.c_str(),
                   o.timeoutSeconds);
      return 1;
    }
    Sleep(50);
  }
  std::fprintf(stderr, "corvane_joystick_check: %s: joystick found after %.2f s; %s\n", o.via.c_str(),
               SecondsSince(start), via->Describe().c_str());

  long failures = 0;
  long count = 0;
  std::optional<InterfaceState> last;
  while (SecondsSince(start) < o.timeoutSeconds && (o.states == 0 || count < o.states)) {
    InterfaceState shown;
    const ReadResult result = via->Read(shown, 100);
    if (result == ReadResult::kGone) break;
    if (result == ReadResult::kNothingNew || (o.via != "hid" && last && shown == *last)) {
      if (o.via != "hid") Sleep(1);
      continue;
    }
    last = shown;
    PrintState(o.via, shown, SentStateOf(*via, shown));
    std::string why;
    if (count == 0 && o.restsAtCentre && !via->AtRest(shown)) {
      why = "the first state is not the joystick at rest (axes at the centre, no button)";
    } else if (expected && !expected->Take(shown, why)) {
      why = "state " + std::to_string(count + 1) + ": " + why;
    }
    if (!why.empty() && ++failures <= kFailuresShown) std::fprintf(stderr, "FAILED: %s\n", why.c_str());
    if (++count == 1 && !o.readyPath.empty()) std::ofstream(o.readyPath) << "ready\n";
  }
  std::fprintf(stderr, "corvane_joystick_check: %s: %ld states in %.2f s", o.via.c_str(), count,
               SecondsSince(start));
  if (expected) {
    std::fprintf(stderr, ", %zu of %zu reports seen", expected->Seen(), expected->Count());
    if (expected->Seen() * 2 < expected->Count()) {
      std::fprintf(stderr, "\nFAILED: fewer than half of the reports were seen");
      ++failures;
    }
  }
  if (failures > kFailuresShown) std::fprintf(stderr, "\n%ld failures in all", failures);
  std::fprintf(stderr, "\n");
  return failures == 0 ? 0 : 1;
}

int Gone(const Options& o) {
  const auto start = Clock::now();
  for (;;) {
    std::string seenBy;
    for (const char* name : {"hid", "winmm", "dinput"}) {
      if (MakeGameInterface(name)->Present()) seenBy += std::string(seenBy.empty() ? "" : ", ") + name;
    }
    if (seenBy.empty()) {
      std::fprintf(stderr, "corvane_joystick_check: no joystick after %.2f s\n", SecondsSince(start));
      return 0;
    }
    if (SecondsSince(start) > o.timeoutSeconds) {
      std::fprintf(stderr, "FAILED: the joystick is still there after %.0f s (%s)\n", o.timeoutSeconds,
                   seenBy.c_str());
      return 1;
    }
    Sleep(100);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options) || (options.command == "read" && !MakeGameInterface(options.via))) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return options.command == "read" ? Read(options) : Gone(options);
}
