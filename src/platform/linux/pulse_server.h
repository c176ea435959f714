#pragma once
// A sound server that speaks PulseAudio's protocol (PulseAudio itself, or PipeWire's
// pipewire-pulse), spoken to synchronously: every call waits for the server's answer,
// never longer than a short time-out, so a server that hangs cannot hang the caller.

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct pa_mainloop;
struct pa_context;
struct pa_operation;

namespace corvane {

// One input of a source, as the desktop's sound settings show it ("Line In").
struct PulsePort {
  std::string name;
  std::string description;
};

// A capture source of the server.
struct PulseSource {
  std::string name;
  std::string description;
  bool hardware = false;  // a sound card's (or other device's) input, not a virtual one
  bool monitor = false;   // records what a sink plays
  std::vector<PulsePort> ports;
  std::string activePort;             // empty when the source has no ports
  std::vector<std::uint32_t> volume;  // per channel; the server's 100 % is kPulseVolumeNorm
  bool mute = false;
};

inline constexpr std::uint32_t kPulseVolumeNorm = 0x10000;

class PulseServer {
 public:
  // The user's server, or nullptr when none answers within `timeout`. Never starts one.
  static std::unique_ptr<PulseServer> Connect(std::chrono::milliseconds timeout);
  ~PulseServer();
  PulseServer(const PulseServer&) = delete;
  PulseServer& operator=(const PulseServer&) = delete;

  // The server's name and version ("PulseAudio (on PipeWire 0.3.65) 15.0.0").
  const std::string& Name() const { return name_; }

  // Every source, in the server's order. False when the server did not answer.
  bool Sources(std::vector<PulseSource>& sources);
  bool Source(const std::string& name, PulseSource& source);
  bool SetPort(const std::string& source, const std::string& port);
  // One volume per channel; the count must be the source's channel count.
  bool SetVolume(const std::string& source, std::span<const std::uint32_t> volume);
  bool SetMute(const std::string& source, bool mute);

 private:
  PulseServer() = default;
  // Connects (again, when the connection was lost) and waits until the server is ready.
  bool Ready();
  // Runs the main loop until `done` or the time-out; false when the server failed to answer.
  template <typename Done>
  bool RunUntil(Done done, std::chrono::milliseconds timeout);
  // Waits for an operation to finish; cancels it when the server does not answer in time.
  bool Finish(pa_operation* operation);
  bool Succeeded(pa_operation* operation, const int& success);
  bool QuerySources(const std::string* name, std::vector<PulseSource>& sources);
  void Disconnect();

  std::chrono::milliseconds timeout_{0};
  pa_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  std::string name_;
};

}  // namespace corvane
