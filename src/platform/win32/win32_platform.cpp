// The platform seam on Windows: winmm for capture and mixers, the joystick bus driver
// through the device installer, the registry for the settings.
#include "platform/platform.h"

#include "platform/joystick_bus_protocol.h"
#include "platform/win32/registry_key_store.h"
#include "platform/win32/setupdi_driver_bus.h"
#include "platform/win32/wave_in_audio_device.h"
#include "platform/win32/window_single_instance.h"
#include "platform/win32/winmm_mixer_device.h"

namespace corvane {

std::unique_ptr<SystemAudioDevice> CreateAudioDevice() { return std::make_unique<WaveInAudioDevice>(); }

std::unique_ptr<MixerDevice> CreateMixerDevice(MixerChoice* choice) {
  if (choice) *choice = {false, "Windows multimedia mixer"};
  return std::make_unique<WinmmMixerDevice>();
}

std::string DefaultJoystickDevice() { return "the virtual joystick driver"; }

// The driver is found by its interface class, whatever `device` says.
std::unique_ptr<DriverBus> CreateDriverBus(const std::string&) { return std::make_unique<SetupDiDriverBus>(); }

// The driver is there when an interface of its class is present.
bool CheckJoystickAccess(const std::string& device, std::FILE* out) {
  SetupDiDriverBus bus;
  const InterfaceSet set = bus.GetInterfaces(joybus::kGamePortBusClass);
  const bool present = set != kInvalidInterfaceSet && bus.EnumInterface(set, 0) == EnumResult::kFound;
  if (set != kInvalidInterfaceSet) bus.ReleaseInterfaces(set);
  if (!present) {
    std::fprintf(out,
                 "Corvane: no virtual joystick: %s is not installed (no device of its interface class is "
                 "present); see \"Windows\" in README.md\n",
                 device.c_str());
  }
  return present;
}

std::unique_ptr<KeyStore> CreateKeyStore() { return std::make_unique<RegistryKeyStore>(); }

std::unique_ptr<SingleInstance> CreateSingleInstance(std::function<void()> showRequested) {
  return std::make_unique<WindowSingleInstance>(std::move(showRequested));
}

}  // namespace corvane
