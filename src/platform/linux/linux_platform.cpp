// The platform seam on Linux: ALSA for capture, the sound server's mixer or else ALSA's,
// uinput for the joystick, the registry file for the settings.

#include <QStandardPaths>

#include "platform/linux/alsa_audio_device.h"
#include "platform/linux/alsa_mixer_device.h"
#include "platform/linux/file_key_store.h"
#include "platform/linux/local_single_instance.h"
#include "platform/linux/pulse_mixer_device.h"
#include "platform/linux/uinput_access.h"
#include "platform/linux/uinput_bus.h"
#include "platform/platform.h"

namespace corvane {

std::unique_ptr<SystemAudioDevice> CreateAudioDevice() {
  return std::make_unique<AlsaAudioDevice>();
}

std::unique_ptr<MixerDevice> CreateMixerDevice(MixerChoice* choice) {
  // A server that answers drives the cards itself: changing their controls behind its
  // back starts a fight over them. Where none runs, connecting fails at once.
  if (auto server = PulseServer::Connect(std::chrono::milliseconds(500))) {
    if (choice) *choice = {true, server->Name()};
    return std::make_unique<PulseMixerDevice>(std::move(server));
  }
  if (choice) *choice = {false, "ALSA"};
  return std::make_unique<AlsaMixerDevice>();
}

std::string DefaultJoystickDevice() { return kUinputPath; }

std::unique_ptr<DriverBus> CreateDriverBus(const std::string& device) {
  return std::make_unique<UinputBus>(device);
}

bool CheckJoystickAccess(const std::string& device, std::FILE* out) {
  return CheckUinputAccess(device.c_str(), out);
}

std::unique_ptr<KeyStore> CreateKeyStore() {
  return std::make_unique<FileKeyStore>(DefaultRegistryFilePath());
}

std::unique_ptr<SingleInstance> CreateSingleInstance(std::function<void()> showRequested) {
  return std::make_unique<LocalSingleInstance>(
      QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation), std::move(showRequested));
}

}  // namespace corvane
