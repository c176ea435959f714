#pragma once
// Mixers as a table of devices, destinations, source lines and controls; every call
// is recorded.

#include <algorithm>
#include <string>
#include <vector>

#include "platform/mixer_device.h"

namespace corvane::testing {

class FakeMixerDevice : public MixerDevice {
 public:
  struct Control {
    std::int32_t id = -1;
    std::uint32_t type = 0;
    std::vector<std::uint32_t> values;  // one for a single value, else one per item
    std::vector<MixerListItem> items;   // a list control's items
    bool failItems = false;
  };
  struct Line {
    std::int32_t lineId = -1;
    std::string name;
    std::vector<Control> controls;
    bool fail = false;  // the source query of this line fails
  };
  struct Destination {
    std::uint32_t type = 0;
    Line line;
    std::vector<Line> sources;
  };
  struct Device {
    std::string name;
    bool failCaps = false;
    bool failOpen = false;
    std::vector<Destination> destinations;
  };

  std::vector<Device> devices;
  std::vector<std::string> calls;  // "open 0", "close", "get 3", "set 3 = 0 0 1 0", …
  int openMixers = 0;

  int CaptureDeviceCount() override { return static_cast<int>(devices.size()); }
  bool CaptureDeviceName(int device, std::string& name) override {
    if (devices.at(static_cast<std::size_t>(device)).failCaps) return false;
    name = devices[static_cast<std::size_t>(device)].name;
    return true;
  }

  bool Open(std::int32_t device, MixerHandle& handle) override {
    calls.push_back("open " + std::to_string(device));
    if (device < 0 || device >= CaptureDeviceCount() || DeviceAt(device).failOpen) return false;
    handle = device;
    ++openMixers;
    return true;
  }
  void Close(MixerHandle) override {
    calls.push_back("close");
    --openMixers;
  }

  bool DestinationLine(MixerHandle h, std::uint32_t type, MixerLine& line) override {
    auto& dests = DeviceAt(h).destinations;
    for (std::size_t d = 0; d < dests.size(); ++d) {
      if (dests[d].type != type) continue;
      line = Describe(static_cast<std::int32_t>(d), dests[d].line);
      line.connections = static_cast<std::int32_t>(dests[d].sources.size());
      return true;
    }
    return false;
  }
  bool SourceLine(MixerHandle h, const MixerLine& dest, std::int32_t source, MixerLine& line) override {
    auto& sources = DeviceAt(h).destinations.at(static_cast<std::size_t>(dest.destination)).sources;
    if (source < 0 || static_cast<std::size_t>(source) >= sources.size()) return false;
    const Line& found = sources[static_cast<std::size_t>(source)];
    if (found.fail) return false;
    line = Describe(dest.destination, found);
    return true;
  }
  bool LineControl(MixerHandle h, std::int32_t lineId, std::uint32_t type, MixerControl& out) override {
    for (Line* line : Lines(h)) {
      if (line->lineId != lineId) continue;
      for (Control& c : line->controls) {
        if (c.type != type) continue;
        out.controlId = c.id;
        out.items = type == kControlMux ? static_cast<std::int32_t>(c.values.size()) : 0;
        return true;
      }
    }
    return false;
  }
  bool ListItems(MixerHandle h, std::int32_t id, std::vector<MixerListItem>& items) override {
    Control* c = Find(h, id);
    if (!c || c->failItems) return false;
    std::copy_n(c->items.begin(), std::min(items.size(), c->items.size()), items.begin());
    return true;
  }
  bool GetValue(MixerHandle h, std::int32_t id, std::uint32_t& value) override {
    calls.push_back("get " + std::to_string(id));
    Control* c = Find(h, id);
    if (!c) return false;
    value = c->values.at(0);
    return true;
  }
  bool SetValue(MixerHandle h, std::int32_t id, std::uint32_t value) override {
    calls.push_back("set " + std::to_string(id) + " = " + std::to_string(value));
    Control* c = Find(h, id);
    if (!c) return false;
    c->values.at(0) = value;
    return true;
  }
  bool GetItems(MixerHandle h, std::int32_t id, std::span<std::uint32_t> items) override {
    calls.push_back("get " + std::to_string(id));
    Control* c = Find(h, id);
    if (!c || items.size() != c->values.size()) return false;
    std::copy(c->values.begin(), c->values.end(), items.begin());
    return true;
  }
  bool SetItems(MixerHandle h, std::int32_t id, std::span<const std::uint32_t> items) override {
    std::string call = "set " + std::to_string(id) + " =";
    for (std::uint32_t v : items) call += " " + std::to_string(v);
    calls.push_back(call);
    Control* c = Find(h, id);
    if (!c || items.size() != c->values.size()) return false;
    std::copy(items.begin(), items.end(), c->values.begin());
    return true;
  }

  // The values of control `id` on any device, for checking what the mixer holds.
  std::vector<std::uint32_t> ValuesOf(std::int32_t id) {
    for (std::size_t d = 0; d < devices.size(); ++d) {
      if (Control* c = Find(static_cast<MixerHandle>(d), id)) return c->values;
    }
    return {};
  }

 private:
  Device& DeviceAt(MixerHandle h) { return devices.at(static_cast<std::size_t>(h)); }
  static MixerLine Describe(std::int32_t dest, const Line& line) {
    MixerLine out;
    out.destination = dest;
    out.lineId = line.lineId;
    out.name = line.name;
    return out;
  }
  std::vector<Line*> Lines(MixerHandle h) {
    std::vector<Line*> lines;
    for (auto& dest : DeviceAt(h).destinations) {
      lines.push_back(&dest.line);
      for (auto& source : dest.sources) lines.push_back(&source);
    }
    return lines;
  }
  Control* Find(MixerHandle h, std::int32_t id) {
    for (Line* line : Lines(h)) {
      for (Control& c : line->controls) {
        if (c.id == id) return &c;
      }
    }
    return nullptr;
  }
};

// Control ids of the example card below.
inline constexpr std::int32_t kMux = 10, kMicVolume = 11, kLineVolume = 12;
inline constexpr std::int32_t kMicMute = 21, kLineMute = 22;

inline FakeMixerDevice::Control Single(std::int32_t id, std::uint32_t type, std::uint32_t value) {
  return {id, type, {value}, {}, false};
}

// A card with three recording sources (Mic, Line In, CD without volume) behind a
// 4-item multiplexer whose item 2 is Line In, and playback lines Mic, Line In, Wave.
inline FakeMixerDevice::Device ExampleCard() {
  FakeMixerDevice::Control mux{kMux, kControlMux, {1, 0, 0, 0}, {}, false};
  mux.items = {{101, "Mic"}, {103, "CD"}, {102, "Line In"}, {104, "Aux"}};
  FakeMixerDevice::Destination recording{kComponentRecording, {100, "Recording", {mux}}, {}};
  recording.sources = {{101, "Mic", {Single(kMicVolume, kControlVolume, 40000)}},
                       {102, "Line In", {Single(kLineVolume, kControlVolume, 20000)}},
                       {103, "CD", {}}};
  FakeMixerDevice::Destination playback{kComponentPlayback, {200, "Speakers", {}}, {}};
  playback.sources = {{201, "Mic", {Single(kMicMute, kControlMute, 0)}},
                      {202, "Line In", {Single(kLineMute, kControlMute, 0)}},
                      {203, "Wave", {Single(23, kControlMute, 0)}}};
  return {"USB Audio", false, false, {recording, playback}};
}

}  // namespace corvane::testing
