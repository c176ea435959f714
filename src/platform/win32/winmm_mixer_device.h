#pragma once
// The sound cards' mixers through winmm: capture devices from the wave-in functions, a
// device's mixer opened by its wave-in id, its lines and controls read and written one
// control at a time.

#include <windows.h>
#include <mmsystem.h>

#include "platform/mixer_device.h"

namespace corvane {

// The winmm functions the mixer calls; tests put fakes in their place.
struct MixerFunctions {
  UINT(WINAPI* waveInGetNumDevs)();
  MMRESULT(WINAPI* waveInGetDevCapsA)(UINT_PTR, LPWAVEINCAPSA, UINT);
  MMRESULT(WINAPI* mixerOpen)(LPHMIXER, UINT, DWORD_PTR, DWORD_PTR, DWORD);
  MMRESULT(WINAPI* mixerClose)(HMIXER);
  MMRESULT(WINAPI* mixerGetLineInfoA)(HMIXEROBJ, LPMIXERLINEA, DWORD);
  MMRESULT(WINAPI* mixerGetLineControlsA)(HMIXEROBJ, LPMIXERLINECONTROLSA, DWORD);
  MMRESULT(WINAPI* mixerGetControlDetailsA)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);
  MMRESULT(WINAPI* mixerSetControlDetails)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);
};

// The system's own.
MixerFunctions WinmmMixerFunctions();

class WinmmMixerDevice : public MixerDevice {
 public:
  explicit WinmmMixerDevice(const MixerFunctions& functions = WinmmMixerFunctions()) : winmm_(functions) {}

  int CaptureDeviceCount() override;
  bool CaptureDeviceName(int device, std::string& name) override;
  // mixerOpen with the wave-in id (MIXER_OBJECTF_WAVEIN), no callback.
  bool Open(std::int32_t device, MixerHandle& handle) override;
  void Close(MixerHandle handle) override;
  bool DestinationLine(MixerHandle handle, std::uint32_t componentType, MixerLine& line) override;
  bool SourceLine(MixerHandle handle, const MixerLine& destination, std::int32_t source,
                  MixerLine& line) override;
  bool LineControl(MixerHandle handle, std::int32_t lineId, std::uint32_t controlType,
                   MixerControl& control) override;
  bool ListItems(MixerHandle handle, std::int32_t controlId, std::vector<MixerListItem>& items) override;
  bool GetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t& value) override;
  bool SetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t value) override;
  bool GetItems(MixerHandle handle, std::int32_t controlId, std::span<std::uint32_t> items) override;
  bool SetItems(MixerHandle handle, std::int32_t controlId, std::span<const std::uint32_t> items) override;

 private:
  // Every operation opens and closes its mixer, so a few handles at once are plenty.
  static constexpr int kHandles = 4;

  HMIXEROBJ Mixer(MixerHandle handle) const;
  bool QueryLine(MixerHandle handle, MIXERLINEA& line, DWORD query, MixerLine& out);
  bool Details(MixerHandle handle, std::int32_t controlId, DWORD items, DWORD itemSize, void* data,
               bool write, DWORD query);

  MixerFunctions winmm_;
  HMIXER open_[kHandles] = {};
};

}  // namespace corvane
