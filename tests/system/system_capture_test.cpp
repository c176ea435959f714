// corvane-decode --capture recording the snd-aloop loopback card while a test plays a signal
// into it in real time: the positions printed, the card going away and coming back while
// the tool records, and SIGTERM ending it.
// Usage: corvane_system_capture CORVANE-DECODE CORVANE-SIGGEN [gtest options]
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "generated_signal.h"
#include "loopback_player.h"
#include "printed_positions.h"
#include "tool_test_main.h"

namespace corvane::systest {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

std::string gDecode;
std::string gSiggen;

const std::string kErrors = "/tmp/decode-capture.err";
const std::string kCaptureStatus = "/proc/asound/Loopback/pcm0c/sub0/status";
const std::string kAloopDriver = "/sys/bus/platform/drivers/snd_aloop/";
constexpr double kSignalSeconds = 2.0;
// Decoded buffers the capture may miss of what a file of the signal gives: an emulated VM
// may lose the first ones (or stall), and a lost buffer can take a frame on either side.
constexpr int kLostBuffers = 6;

bool WaitFor(milliseconds timeout, const auto& condition) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return true;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// How many buffers corvane-decode decodes a frame in when it reads SIGNAL from a file: an
// SPCM frame takes about two buffers, so about half of them.
int DecodedFromFile(const std::vector<std::int16_t>& signal) {
  const std::string path = "/tmp/decode-capture.raw";
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const auto bytes = static_cast<ssize_t>(signal.size() * sizeof(std::int16_t));
  const bool written = file >= 0 && ::write(file, signal.data(), static_cast<std::size_t>(bytes)) == bytes;
  if (file >= 0) ::close(file);
  if (!written) return -1;
  int output[2];
  if (::pipe2(output, O_CLOEXEC) != 0) return -1;
  const pid_t decode = StartChild({gDecode, "--mode", "spcm", "--json", "--raw", path}, {-1, output[1], -1});
  ::close(output[1]);
  LineReader lines(output[0]);
  int decoded = 0;
  while (lines.Next(seconds(10))) ++decoded;
  WaitForChild(decode, seconds(10));
  return decoded;
}

// Plays an SPCM signal with POSITIONS into the loopback card and reads the decoded buffers
// corvane-decode prints meanwhile. Channels arrive over the frames of a buffer, so a line
// holds each channel's new position or what it held before (BEFORE, or the centre).
void PlayAndExpectPositions(LineReader& lines, const Positions& before, const Positions& positions) {
  const std::vector<std::int16_t> signal = GenerateSignal(
      gSiggen, {"--format", "spcm", "--positions", CommaList(positions), "--duration", std::to_string(kSignalSeconds)});
  const int fromFile = DecodedFromFile(signal);
  ASSERT_GT(fromFile, 0);
  std::atomic<bool> played = false;
  std::string playerError;
  std::thread player([&] {
    try {
      PlayThroughLoopback(signal);
    } catch (const std::exception& error) {
      playerError = error.what();
    }
    played = true;
  });
  std::array<std::set<int>, 8> possible;
  for (std::size_t channel = 0; channel < 8; ++channel) possible[channel] = {512, before[channel], positions[channel]};
  int decoded = 0;
  int whole = 0;
  // Until the signal has been played and nothing more comes out of the card.
  const auto deadline = std::chrono::steady_clock::now() + seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    const auto line = lines.Next(seconds(1));
    if (!line) {
      if (played) break;
      continue;
    }
    const auto printed = PrintedPositions(*line);
    ASSERT_TRUE(printed) << *line;
    EXPECT_TRUE(EachChannelIn(*printed, possible)) << *line;
    ++decoded;
    whole += *printed == positions;
  }
  player.join();
  EXPECT_EQ(playerError, "");
  EXPECT_LE(decoded, fromFile + 1);
  EXPECT_GE(whole, fromFile - kLostBuffers) << "buffers with every position, of " << fromFile << " from the file";
  std::printf("decoded %d buffers, %d with every position; %d from the file\n", decoded, whole, fromFile);
}

// A process that waits in poll uses next to no processor time; one that spins uses all of it.
void ExpectIdle(pid_t pid) {
  const double before = CpuSeconds(pid);
  std::this_thread::sleep_for(seconds(1));
  const double used = CpuSeconds(pid) - before;
  EXPECT_LT(used, 0.25) << "processor seconds in one second";
  std::printf("used %.2f processor seconds in one second\n", used);
}

bool WriteSysfs(const std::string& path, const std::string& value) {
  // Unbinding waits until the card's files are closed: in a child, so that a tool that keeps
  // the device open shows as a time-out, not as a test that hangs.
  const int status = RunChild({"/bin/sh", "-c", "echo " + value + " > " + path}, seconds(10));
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(DecodeCapture, PrintsThePositionsPlayedRidesOutTheCardGoingAwayAndEndsOnSigterm) {
  int output[2];
  ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
  const int errors = ::open(kErrors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(errors, 0);
  const pid_t decode = StartChild({gDecode, "--capture", "--mode", "spcm", "--json"}, {-1, output[1], errors});
  const EndChildOnExit endDecode(decode);
  ::close(output[1]);
  ::close(errors);
  LineReader lines(output[0]);

  ASSERT_TRUE(WaitFor(seconds(10), [] { return Contains(ReadFile(kCaptureStatus), "state: RUNNING"); }))
      << "corvane-decode did not start recording: " << ReadFile(kErrors);
  const Positions first = {0, 1023, 100, 900, 512, 511, 333, 777};
  PlayAndExpectPositions(lines, {512, 512, 512, 512, 512, 512, 512, 512}, first);

  // Nothing is played now: the card records silence and the tool waits for it.
  ExpectIdle(decode);

  // The card goes away as an unplugged one does: the tool lets go of it, says so once and
  // waits for it without spinning.
  ASSERT_TRUE(WriteSysfs(kAloopDriver + "unbind", "snd_aloop.0"))
      << "the card stayed held; corvane-decode said:\n" << ReadFile(kErrors);
  EXPECT_TRUE(WaitFor(seconds(5), [] { return Contains(ReadFile(kErrors), "Lost the recording device"); }))
      << ReadFile(kErrors);
  ExpectIdle(decode);
  ASSERT_FALSE(WaitForChild(decode, milliseconds(0))) << "corvane-decode ended without the card";

  // Back again, it is found and recorded from.
  ASSERT_TRUE(WriteSysfs(kAloopDriver + "bind", "snd_aloop.0"));
  EXPECT_TRUE(WaitFor(seconds(10), [] { return Contains(ReadFile(kErrors), "corvane-decode: recording\n"); }))
      << ReadFile(kErrors);
  PlayAndExpectPositions(lines, first, {40, 980, 300, 700, 512, 200, 600, 1000});

  ASSERT_EQ(::kill(decode, SIGTERM), 0);
  const auto status = WaitForChild(decode, seconds(10));
  ASSERT_TRUE(status) << "corvane-decode did not end on SIGTERM";
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
  while (const auto line = lines.Next(seconds(1))) ADD_FAILURE() << "printed after the signal: " << *line;
  std::printf("corvane-decode said:\n%s", ReadFile(kErrors).c_str());
}

}  // namespace
}  // namespace corvane::systest

int main(int argc, char** argv) {
  return corvane::systest::RunToolTests(argc, argv, corvane::systest::gDecode, corvane::systest::gSiggen);
}
