#include "platform/linux/pulse_mixer_device.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/linux/mixer_ids.h"
#include "platform/linux/volume_scale.h"

namespace corvane {

namespace {

enum class LineKind { kRecording, kPort };

// How long a port change waits for the port's own volume to arrive.
constexpr std::chrono::milliseconds kPortVolumeWait{1500};
enum class ControlKind { kPorts, kVolume };

// The server's 0 … 100 % as the program's 0 … 65535; louder than 100 % reads as 65535.
std::uint32_t VolumeToLevel(std::uint32_t volume) { return StepsToLevel(volume, 0, kPulseVolumeNorm); }
std::uint32_t LevelToVolume(std::uint32_t level) {
  return static_cast<std::uint32_t>(LevelToSteps(level, 0, kPulseVolumeNorm));
}

// The source's lines on the recording destination: its ports, or the source itself.
std::size_t LineCount(const PulseSource& source) { return std::max<std::size_t>(source.ports.size(), 1); }

std::string PortName(const PulseSource& source, std::size_t line) {
  return source.ports.empty() ? "" : source.ports[line].name;
}

// The line that the source records from: its active port's, unless muted.
std::size_t RecordingLine(const PulseSource& source) {
  if (source.mute) return LineCount(source);
  if (source.ports.empty()) return 0;
  const auto active = std::find_if(source.ports.begin(), source.ports.end(),
                                   [&](const PulsePort& p) { return p.name == source.activePort; });
  return static_cast<std::size_t>(active - source.ports.begin());
}

}  // namespace

struct PulseMixerDevice::LineKey {
  std::string source;
  LineKind kind;
  std::string port;  // of a port line; empty for a source without ports
  bool operator==(const LineKey&) const = default;
};

struct PulseMixerDevice::ControlKey {
  std::string source;
  ControlKind kind;
  std::string port;  // of a port's volume; empty for a source without ports
  bool operator==(const ControlKey&) const = default;
};

// What a read reported, and the source's state it was read from.
struct PulseMixerDevice::ReadBack {
  std::vector<std::uint32_t> reported;
  PulseSource source;
};

PulseMixerDevice::PulseMixerDevice(std::unique_ptr<PulseServer> server, Sources sources)
    : server_(std::move(server)), sources_(sources) {}
PulseMixerDevice::~PulseMixerDevice() = default;

// Listed afresh at every call: devices come and go.
std::vector<PulseSource> PulseMixerDevice::Devices() {
  std::vector<PulseSource> sources;
  if (!server_->Sources(sources)) return {};
  std::erase_if(sources, [&](const PulseSource& s) {
    return s.monitor || (sources_ == Sources::kHardware && !s.hardware);
  });
  return sources;
}

const PulseSource* PulseMixerDevice::Find(MixerHandle handle) const {
  const auto it = open_.find(handle);
  return it == open_.end() ? nullptr : &it->second;
}

std::int32_t PulseMixerDevice::LineIdOf(const LineKey& key) { return IdIn(lines_, key); }

std::int32_t PulseMixerDevice::ControlIdOf(const ControlKey& key) { return IdIn(controls_, key); }

const PulseMixerDevice::LineKey* PulseMixerDevice::LineOf(const PulseSource& source,
                                                          std::int32_t lineId) const {
  const LineKey* key = KeyOf(lines_, lineId);
  return key && key->source == source.name ? key : nullptr;
}

const PulseMixerDevice::ControlKey* PulseMixerDevice::ControlOf(MixerHandle handle, std::int32_t controlId,
                                                                bool ports) const {
  const PulseSource* source = Find(handle);
  const ControlKey* key = KeyOf(controls_, controlId);
  if (!source || !key || key->source != source->name) return nullptr;
  return (key->kind == ControlKind::kPorts) == ports ? key : nullptr;
}

int PulseMixerDevice::CaptureDeviceCount() { return static_cast<int>(Devices().size()); }

bool PulseMixerDevice::CaptureDeviceName(int device, std::string& name) {
  const std::vector<PulseSource> devices = Devices();
  if (device < 0 || static_cast<std::size_t>(device) >= devices.size()) return false;
  name = devices[static_cast<std::size_t>(device)].description;
  return true;
}

bool PulseMixerDevice::Open(std::int32_t device, MixerHandle& handle) {
  std::vector<PulseSource> devices = Devices();
  if (device < 0 || static_cast<std::size_t>(device) >= devices.size()) return false;
  handle = nextHandle_++;
  if (nextHandle_ < 0) nextHandle_ = 1;
  open_[handle] = std::move(devices[static_cast<std::size_t>(device)]);
  return true;
}

void PulseMixerDevice::Close(MixerHandle handle) { open_.erase(handle); }

bool PulseMixerDevice::DestinationLine(MixerHandle handle, std::uint32_t componentType, MixerLine& line) {
  const PulseSource* source = Find(handle);
  if (!source || componentType != kComponentRecording) return false;
  line = {0, LineIdOf({source->name, LineKind::kRecording, ""}),
          static_cast<std::int32_t>(LineCount(*source)), "Capture"};
  return true;
}

bool PulseMixerDevice::SourceLine(MixerHandle handle, const MixerLine& destination, std::int32_t source,
                                  MixerLine& line) {
  const PulseSource* s = Find(handle);
  const LineKey* key = s ? LineOf(*s, destination.lineId) : nullptr;
  if (!key || key->kind != LineKind::kRecording || source < 0 ||
      static_cast<std::size_t>(source) >= LineCount(*s)) {
    return false;
  }
  const auto index = static_cast<std::size_t>(source);
  line = {destination.destination, LineIdOf({s->name, LineKind::kPort, PortName(*s, index)}), 0,
          s->ports.empty() ? s->description : s->ports[index].description};
  return true;
}

bool PulseMixerDevice::LineControl(MixerHandle handle, std::int32_t lineId, std::uint32_t controlType,
                                   MixerControl& control) {
  const PulseSource* source = Find(handle);
  const LineKey* key = source ? LineOf(*source, lineId) : nullptr;
  if (!key) return false;
  if (controlType == kControlMux && key->kind == LineKind::kRecording) {
    control = {ControlIdOf({source->name, ControlKind::kPorts, ""}),
               static_cast<std::int32_t>(LineCount(*source))};
    return true;
  }
  if (controlType == kControlVolume && key->kind == LineKind::kPort) {
    control = {ControlIdOf({source->name, ControlKind::kVolume, key->port}), 0};
    return true;
  }
  return false;
}

bool PulseMixerDevice::ListItems(MixerHandle handle, std::int32_t controlId,
                                 std::vector<MixerListItem>& items) {
  if (!ControlOf(handle, controlId, true)) return false;
  const PulseSource source = *Find(handle);  // the tables may grow below
  for (std::size_t i = 0; i < items.size(); ++i) {
    items[i] = {};
    if (i >= LineCount(source)) continue;
    items[i] = {LineIdOf({source.name, LineKind::kPort, PortName(source, i)}),
                source.ports.empty() ? source.description : source.ports[i].description};
  }
  return true;
}

bool PulseMixerDevice::GetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t& value) {
  const ControlKey* key = ControlOf(handle, controlId, false);
  PulseSource now;
  if (!key || !server_->Source(key->source, now) || now.volume.empty()) return false;
  // The loudest channel is the level.
  value = 0;
  for (std::uint32_t volume : now.volume) value = std::max(value, VolumeToLevel(volume));
  lastRead_[controlId] = {{value}, std::move(now)};
  return true;
}

bool PulseMixerDevice::SetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t value) {
  const ControlKey* key = ControlOf(handle, controlId, false);
  PulseSource now;
  if (!key || !server_->Source(key->source, now) || now.volume.empty()) return false;
  const auto last = lastRead_.find(controlId);
  if (last != lastRead_.end() && last->second.reported == std::vector<std::uint32_t>{value} &&
      last->second.source.volume.size() == now.volume.size()) {
    // Every channel as read, on the port it was read on; on another port the volume comes
    // back with the port.
    if (last->second.source.activePort != now.activePort) return true;
    return server_->SetVolume(key->source, last->second.source.volume);
  }
  std::fill(now.volume.begin(), now.volume.end(), LevelToVolume(value));
  // A port not yet active gets its level once chosen: written now, it would land on the
  // active port, which a server that keeps a volume per port would then keep.
  if (key->port != now.activePort) {
    pendingVolume_[key->source] = {key->port, now.volume};
    return true;
  }
  // A level written while the source is muted may not reach the card, and the server then
  // takes the card's old volume back when it is unmuted: unmuting writes the level again.
  if (now.mute) pendingVolume_[key->source] = {key->port, now.volume};
  return server_->SetVolume(key->source, now.volume);
}

bool PulseMixerDevice::GetItems(MixerHandle handle, std::int32_t controlId, std::span<std::uint32_t> items) {
  const ControlKey* key = ControlOf(handle, controlId, true);
  PulseSource now;
  if (!key || !server_->Source(key->source, now)) return false;
  const std::size_t recording = RecordingLine(now);
  for (std::size_t i = 0; i < items.size(); ++i) items[i] = i == recording ? 1 : 0;
  lastRead_[controlId] = {{items.begin(), items.end()}, std::move(now)};
  return true;
}

bool PulseMixerDevice::SetItems(MixerHandle handle, std::int32_t controlId,
                                std::span<const std::uint32_t> items) {
  const ControlKey* key = ControlOf(handle, controlId, true);
  PulseSource now;
  if (!key || !server_->Source(key->source, now)) return false;
  const auto last = lastRead_.find(controlId);
  if (last != lastRead_.end() &&
      std::equal(items.begin(), items.end(), last->second.reported.begin(), last->second.reported.end())) {
    // The port and the mute as read.
    const PulseSource& read = last->second.source;
    if (!read.activePort.empty() && read.activePort != now.activePort) {
      return ChangePort(now.name, read.activePort, read.volume, read.mute);
    }
    return server_->SetMute(key->source, read.mute);
  }
  // A choice: the first item set; none set changes nothing.
  const auto first = static_cast<std::size_t>(
      std::find_if(items.begin(), items.end(), [](std::uint32_t v) { return v != 0; }) - items.begin());
  if (first >= items.size() || first >= LineCount(now)) return false;
  const std::string port = PortName(now, first);
  // The level set for the port, or else the level the source has.
  const auto pending = pendingVolume_.find(now.name);
  const bool set = pending != pendingVolume_.end() && pending->second.first == port;
  const std::vector<std::uint32_t> volume = set ? pending->second.second : now.volume;
  pendingVolume_.erase(now.name);
  if (!port.empty() && port != now.activePort) return ChangePort(now.name, port, volume, false);
  // Written even when not muted: the server may have brought the port's own mute.
  return server_->SetMute(key->source, false) && (!set || server_->SetVolume(key->source, volume));
}

bool PulseMixerDevice::ChangePort(const std::string& source, const std::string& port,
                                  const std::vector<std::uint32_t>& volume, bool mute) {
  // The volume is written while the source is not muted: written while muted, it may not
  // reach the card, and the server takes the card's old volume back once unmuted.
  PulseSource before;
  if (!server_->Source(source, before) || !server_->SetPort(source, port) ||
      (!mute && !server_->SetMute(source, false))) {
    return false;
  }
  // A server that keeps a volume per port brings it with the port, or (PipeWire's session
  // manager) a moment later: the volume asked for is written once that has come, or once
  // a short wait shows that nothing comes.
  PulseSource changed;
  const auto deadline = std::chrono::steady_clock::now() + kPortVolumeWait;
  while (server_->Source(source, changed) && changed.volume == before.volume &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const bool written = changed.volume == volume || changed.volume.size() != volume.size() ||
                       server_->SetVolume(source, volume);
  return written && (!mute || server_->SetMute(source, true));
}

}  // namespace corvane
