#include "audio/mixer.h"

namespace corvane {

namespace {

// A mask holds 32 items; items beyond it can be neither read nor selected.
constexpr std::int32_t kMaskBits = 32;

// Opens the receiver's mixer; false while no source was selected or when it fails.
bool OpenReceiverMixer(TInputControl& receiver, MixerDevice& mixer, std::int32_t control,
                       MixerHandle& handle) {
  if (receiver.MixerDevice < 0 || control < 0) return false;
  return mixer.Open(receiver.MixerDevice, handle);
}

// The lookups of a selection, from the recording destination to the playback
// namesake. Returns at the first control it cannot find; the mixer stays open.
void FindSourceControls(TInputControl& receiver, MixerDevice& mixer, MixerHandle handle,
                        std::int32_t source) {
  MixerLine recording;
  if (!mixer.DestinationLine(handle, kComponentRecording, recording)) return;
  MixerControl control;
  if (!mixer.LineControl(handle, recording.lineId, kControlMux, control)) return;
  receiver.MuxControl = control.controlId;
  receiver.MuxItems = control.items;
  receiver.MuxMask = 0;

  MixerLine line;
  if (!mixer.SourceLine(handle, recording, source, line)) return;
  if (receiver.MuxItems > 0) {
    std::vector<MixerListItem> items(static_cast<std::size_t>(receiver.MuxItems));
    if (mixer.ListItems(handle, receiver.MuxControl, items)) {
      const std::int32_t selectable = receiver.MuxItems < kMaskBits ? receiver.MuxItems : kMaskBits;
      for (std::int32_t p = 0; p < selectable; ++p) {
        if (items[static_cast<std::size_t>(p)].lineId == line.lineId) {
          receiver.MuxMask = static_cast<std::int32_t>(std::uint32_t{1} << p);
          break;
        }
      }
    }
  }

  if (!mixer.LineControl(handle, line.lineId, kControlVolume, control)) return;
  receiver.VolumeControl = control.controlId;
  const std::string name = line.name;

  MixerLine playback;
  if (!mixer.DestinationLine(handle, kComponentPlayback, playback)) return;
  for (std::int32_t i = 0; i < playback.connections; ++i) {
    if (!mixer.SourceLine(handle, playback, i, line)) continue;
    if (line.name != name) continue;
    // The last namesake with a mute wins; one without a mute ends the walk.
    if (!mixer.LineControl(handle, line.lineId, kControlMute, control)) return;
    receiver.MuteControl = control.controlId;
  }
}

}  // namespace

bool ListInputDevices(MixerDevice& mixer, std::vector<std::string>& list) {
  const int count = mixer.CaptureDeviceCount();
  for (int device = 0; device < count; ++device) {
    std::string name;
    if (!mixer.CaptureDeviceName(device, name)) return false;
    list.push_back(std::move(name));
  }
  return true;
}

bool ListInputPorts(MixerDevice& mixer, std::int32_t device, std::vector<std::string>& list) {
  MixerHandle handle = kInvalidMixer;
  if (!mixer.Open(device, handle)) return false;
  MixerLine recording;
  if (!mixer.DestinationLine(handle, kComponentRecording, recording)) {
    mixer.Close(handle);
    return false;
  }
  for (std::int32_t i = 0; i < recording.connections; ++i) {
    MixerLine line;
    if (!mixer.SourceLine(handle, recording, i, line)) break;
    list.push_back(std::move(line.name));
  }
  mixer.Close(handle);
  return true;
}

void SelectSource(TInputControl& receiver, MixerDevice& mixer, std::int32_t device,
                  std::int32_t source) {
  RestoreMixer(receiver, mixer);
  receiver.MuteControl = -1;
  receiver.MuxControl = -1;
  receiver.VolumeControl = -1;
  receiver.MixerDevice = -1;
  MixerHandle handle = kInvalidMixer;
  if (!mixer.Open(device, handle)) return;
  receiver.MixerDevice = device;
  FindSourceControls(receiver, mixer, handle, source);
  mixer.Close(handle);
  // Saved even when a lookup failed: whatever control was found may be written by
  // ApplyMixer, and must get its own former value back, not another source's.
  SaveMixer(receiver, mixer);
}

bool ApplyMixer(TInputControl& receiver, MixerDevice& mixer, std::int32_t volume) {
  SetControlValue(receiver, mixer, receiver.VolumeControl, volume, 0);
  SetControlValue(receiver, mixer, receiver.MuteControl, 1, 0);
  return SetControlValue(receiver, mixer, receiver.MuxControl, receiver.MuxMask, receiver.MuxItems);
}

std::int32_t ReadVolume(TInputControl& receiver, MixerDevice& mixer) {
  return GetControlValue(receiver, mixer, receiver.VolumeControl, 0);
}

void SaveMixer(TInputControl& receiver, MixerDevice& mixer) {
  receiver.SavedVolume = GetControlValue(receiver, mixer, receiver.VolumeControl, 0);
  receiver.SavedMute = GetControlValue(receiver, mixer, receiver.MuteControl, 0);
  receiver.SavedMux = GetControlValue(receiver, mixer, receiver.MuxControl, receiver.MuxItems);
}

void RestoreMixer(TInputControl& receiver, MixerDevice& mixer) {
  // -1 is what a failed read saved: there is nothing to give back.
  if (receiver.SavedVolume != -1) {
    SetControlValue(receiver, mixer, receiver.VolumeControl, receiver.SavedVolume, 0);
  }
  if (receiver.SavedMute != -1) {
    SetControlValue(receiver, mixer, receiver.MuteControl, receiver.SavedMute, 0);
  }
  if (receiver.SavedMux != -1) {
    SetControlValue(receiver, mixer, receiver.MuxControl, receiver.SavedMux, receiver.MuxItems);
  }
}

std::int32_t GetControlValue(TInputControl& receiver, MixerDevice& mixer, std::int32_t control,
                             std::int32_t items) {
  if (items < 0) return -1;
  MixerHandle handle = kInvalidMixer;
  if (!OpenReceiverMixer(receiver, mixer, control, handle)) return -1;
  if (items == 0) {
    std::uint32_t value = 0;
    const bool read = mixer.GetValue(handle, control, value);
    mixer.Close(handle);
    return read ? static_cast<std::int32_t>(value) : -1;
  }
  std::vector<std::uint32_t> values(static_cast<std::size_t>(items));
  const bool read = mixer.GetItems(handle, control, values);
  mixer.Close(handle);
  if (!read) return -1;
  std::uint32_t mask = 0;
  for (std::int32_t i = 0; i < items && i < kMaskBits; ++i) {
    if (values[static_cast<std::size_t>(i)] != 0) mask |= std::uint32_t{1} << i;
  }
  return static_cast<std::int32_t>(mask);
}

bool SetControlValue(TInputControl& receiver, MixerDevice& mixer, std::int32_t control,
                     std::int32_t value, std::int32_t items) {
  if (items < 0) return false;
  MixerHandle handle = kInvalidMixer;
  if (!OpenReceiverMixer(receiver, mixer, control, handle)) return false;
  bool written = false;
  if (items == 0) {
    written = mixer.SetValue(handle, control, static_cast<std::uint32_t>(value));
  } else {
    const auto mask = static_cast<std::uint32_t>(value);
    std::vector<std::uint32_t> values(static_cast<std::size_t>(items), 0);
    for (std::int32_t i = 0; i < items && i < kMaskBits; ++i) {
      values[static_cast<std::size_t>(i)] = (mask >> i) & 1u;
    }
    written = mixer.SetItems(handle, control, values);
  }
  mixer.Close(handle);
  return written;
}

}  // namespace corvane
