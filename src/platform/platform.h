#pragma once
// The one door to this system's platform: the program and the tools get their capture
// device, mixers, joystick bus, key store and process services here, and include no
// backend header. Each platform folder (linux/, win32/) implements all of it; the build
// picks the folder by the target system.

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "platform/audio_device.h"
#include "platform/driver_bus.h"
#include "platform/key_store.h"
#include "platform/mixer_device.h"

namespace corvane {

// The system's default recording device. It announces buffers through the event loop of
// the thread that creates it, which must run one.
class SystemAudioDevice : public AudioDevice {
 public:
  // Why the device could not be opened or was lost, for the user; empty while capture
  // works.
  virtual std::string LastError() const = 0;
};

std::unique_ptr<SystemAudioDevice> CreateAudioDevice();

// Which mixers a MixerDevice drives, for the user.
struct MixerChoice {
  bool soundServer = false;  // a sound server's sources, not the sound cards' own mixers
  std::string name;          // the system's mixer ("ALSA"), or the server's name and version
};

// The mixers the Input page drives: on Linux the sound server's when one answers, else
// the sound cards' own, capture devices in the order the capture device list shows.
// `choice`, when given, says which.
std::unique_ptr<MixerDevice> CreateMixerDevice(MixerChoice* choice = nullptr);

// The device the joystick bus speaks to when none is named (on Linux /dev/uinput).
std::string DefaultJoystickDevice();
// The bus of the virtual joystick driver, speaking to `device`.
std::unique_ptr<DriverBus> CreateDriverBus(const std::string& device);
// Whether `device` can be used for the joystick; when not, writes one line on `out` that
// says why and what to do. The program runs on without a joystick either way.
bool CheckJoystickAccess(const std::string& device, std::FILE* out);

// The settings store: the registry, or where there is none, the user's registry file.
std::unique_ptr<KeyStore> CreateKeyStore();

// Stop signals (SIGINT and SIGTERM, or a console's Ctrl+C and close) ask for an orderly
// end. Installs the handlers; false with `error` set when that cannot be done.
bool InstallStopSignals(std::string& error);
// Whether a stop signal came.
bool StopRequested();
// A descriptor that becomes readable once a stop signal came, for an event loop to
// watch; -1 where the platform has none (then poll StopRequested).
int StopSignalFd();

// One running program per user. A later start asks the first one to show its window.
class SingleInstance {
 public:
  virtual ~SingleInstance() = default;
  // True when no other instance runs: this one then holds the claim and listens for
  // later starts. False when another instance holds it. Where no claim can be made at
  // all, it says so on standard error and returns true: the program runs, unguarded.
  virtual bool Claim() = 0;
  // Asks the running instance to show its window; false when it cannot be reached.
  virtual bool AskRunningToShow() = 0;
};

// `showRequested` runs on the event loop's thread whenever a later start asks.
std::unique_ptr<SingleInstance> CreateSingleInstance(std::function<void()> showRequested);

// Raises this process above normal priority, so capture and decoding keep up while other
// programs are busy; runs before any thread is started. Where the system refuses, the
// program runs on as it is.
void RaiseProcessPriority();

}  // namespace corvane
