#include "platform/win32/winmm_mixer_device.h"

#include "platform/win32/ansi_text.h"

namespace corvane {

MixerFunctions WinmmMixerFunctions() {
  return {&::waveInGetNumDevs,      &::waveInGetDevCapsA,     &::mixerOpen,
          &::mixerClose,            &::mixerGetLineInfoA,     &::mixerGetLineControlsA,
          &::mixerGetControlDetailsA, &::mixerSetControlDetails};
}

int WinmmMixerDevice::CaptureDeviceCount() { return static_cast<int>(winmm_.waveInGetNumDevs()); }

bool WinmmMixerDevice::CaptureDeviceName(int device, std::string& name) {
  WAVEINCAPSA caps{};
  if (winmm_.waveInGetDevCapsA(static_cast<UINT_PTR>(device), &caps, sizeof caps) != MMSYSERR_NOERROR) {
    return false;
  }
  name = AnsiToUtf8(caps.szPname);
  return true;
}

bool WinmmMixerDevice::Open(std::int32_t device, MixerHandle& handle) {
  handle = kInvalidMixer;
  // A negative id (no device chosen) is no wave-in device.
  if (device < 0) return false;
  for (int i = 0; i < kHandles; ++i) {
    if (open_[i] != nullptr) continue;
    HMIXER mixer = nullptr;
    if (winmm_.mixerOpen(&mixer, static_cast<UINT>(device), 0, 0, MIXER_OBJECTF_WAVEIN) != MMSYSERR_NOERROR) {
      return false;
    }
    open_[i] = mixer;
    handle = i;
    return true;
  }
  return false;
}

void WinmmMixerDevice::Close(MixerHandle handle) {
  if (Mixer(handle) == nullptr) return;
  winmm_.mixerClose(open_[handle]);
  open_[handle] = nullptr;
}

bool WinmmMixerDevice::DestinationLine(MixerHandle handle, std::uint32_t componentType, MixerLine& line) {
  MIXERLINEA query{};
  query.cbStruct = sizeof query;
  query.dwComponentType = componentType;
  return QueryLine(handle, query, MIXER_GETLINEINFOF_COMPONENTTYPE, line);
}

bool WinmmMixerDevice::SourceLine(MixerHandle handle, const MixerLine& destination, std::int32_t source,
                                  MixerLine& line) {
  if (source < 0 || destination.destination < 0) return false;
  MIXERLINEA query{};
  query.cbStruct = sizeof query;
  query.dwDestination = static_cast<DWORD>(destination.destination);
  query.dwSource = static_cast<DWORD>(source);
  return QueryLine(handle, query, MIXER_GETLINEINFOF_SOURCE, line);
}

bool WinmmMixerDevice::QueryLine(MixerHandle handle, MIXERLINEA& line, DWORD query, MixerLine& out) {
  const HMIXEROBJ mixer = Mixer(handle);
  if (mixer == nullptr || winmm_.mixerGetLineInfoA(mixer, &line, MIXER_OBJECTF_HMIXER | query) != MMSYSERR_NOERROR) {
    return false;
  }
  out.destination = static_cast<std::int32_t>(line.dwDestination);
  out.lineId = static_cast<std::int32_t>(line.dwLineID);
  out.connections = static_cast<std::int32_t>(line.cConnections);
  out.name = AnsiToUtf8(line.szName);
  return true;
}

bool WinmmMixerDevice::LineControl(MixerHandle handle, std::int32_t lineId, std::uint32_t controlType,
                                   MixerControl& control) {
  const HMIXEROBJ mixer = Mixer(handle);
  if (mixer == nullptr) return false;
  MIXERCONTROLA found{};
  found.cbStruct = sizeof found;
  MIXERLINECONTROLSA query{};
  query.cbStruct = sizeof query;
  query.dwLineID = static_cast<DWORD>(lineId);
  query.dwControlType = controlType;
  query.cControls = 1;
  query.cbmxctrl = sizeof found;
  query.pamxctrl = &found;
  if (winmm_.mixerGetLineControlsA(mixer, &query, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
      MMSYSERR_NOERROR) {
    return false;
  }
  control.controlId = static_cast<std::int32_t>(found.dwControlID);
  control.items = static_cast<std::int32_t>(found.cMultipleItems);
  return true;
}

bool WinmmMixerDevice::ListItems(MixerHandle handle, std::int32_t controlId, std::vector<MixerListItem>& items) {
  if (items.empty()) return false;
  std::vector<MIXERCONTROLDETAILS_LISTTEXTA> texts(items.size());
  if (!Details(handle, controlId, static_cast<DWORD>(texts.size()), sizeof texts[0], texts.data(), false,
               MIXER_GETCONTROLDETAILSF_LISTTEXT)) {
    return false;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    items[i].lineId = static_cast<std::int32_t>(texts[i].dwParam1);
    items[i].text = AnsiToUtf8(texts[i].szName);
  }
  return true;
}

bool WinmmMixerDevice::GetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t& value) {
  DWORD read = 0;
  if (!Details(handle, controlId, 0, sizeof read, &read, false, MIXER_GETCONTROLDETAILSF_VALUE)) return false;
  value = read;
  return true;
}

bool WinmmMixerDevice::SetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t value) {
  DWORD written = value;
  return Details(handle, controlId, 0, sizeof written, &written, true, MIXER_SETCONTROLDETAILSF_VALUE);
}

bool WinmmMixerDevice::GetItems(MixerHandle handle, std::int32_t controlId, std::span<std::uint32_t> items) {
  static_assert(sizeof(std::uint32_t) == sizeof(MIXERCONTROLDETAILS_BOOLEAN));
  return !items.empty() && Details(handle, controlId, static_cast<DWORD>(items.size()), sizeof(std::uint32_t),
                                   items.data(), false, MIXER_GETCONTROLDETAILSF_VALUE);
}

bool WinmmMixerDevice::SetItems(MixerHandle handle, std::int32_t controlId, std::span<const std::uint32_t> items) {
  // The call takes the items through a pointer to non-constant data, but only reads them.
  return !items.empty() && Details(handle, controlId, static_cast<DWORD>(items.size()), sizeof(std::uint32_t),
                                   const_cast<std::uint32_t*>(items.data()), true, MIXER_SETCONTROLDETAILSF_VALUE);
}

bool WinmmMixerDevice::Details(MixerHandle handle, std::int32_t controlId, DWORD items, DWORD itemSize, void* data,
                               bool write, DWORD query) {
  const HMIXEROBJ mixer = Mixer(handle);
  if (mixer == nullptr) return false;
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = static_cast<DWORD>(controlId);
  details.cChannels = 1;
  details.cMultipleItems = items;
  details.cbDetails = itemSize;
  details.paDetails = data;
  const DWORD flags = MIXER_OBJECTF_HMIXER | query;
  const MMRESULT result = write ? winmm_.mixerSetControlDetails(mixer, &details, flags)
                                : winmm_.mixerGetControlDetailsA(mixer, &details, flags);
  return result == MMSYSERR_NOERROR;
}

HMIXEROBJ WinmmMixerDevice::Mixer(MixerHandle handle) const {
  if (handle < 0 || handle >= kHandles) return nullptr;
  return reinterpret_cast<HMIXEROBJ>(open_[handle]);
}

}  // namespace corvane
