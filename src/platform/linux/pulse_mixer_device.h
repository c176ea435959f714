#pragma once
// The mixer of a running sound server (PulseAudio, or PipeWire through pipewire-pulse):
// the Input page chooses what the server records, so the server keeps the card as chosen
// instead of fighting a choice made behind its back on the card's own controls.
//
// Capture devices are the server's hardware capture sources, monitors left out, in the
// server's order, named by their descriptions. A device's recording destination has one
// source line per port of its source ("Line In", "Microphone"), or, for a source without
// ports, one line named like the source. Its multiplexer is the source's active port:
// choosing a port makes it active and switches the source's mute off, so that it records;
// a port reads as chosen only while it is active and the source is not muted. A port
// line's volume is the source's volume, 0 … 65535 linear onto the server's 0 … 100 %,
// read as its loudest channel and written to every channel. There is no playback
// destination: the server does not play back its inputs, so nothing is muted.
//
// Writing back the value last read gives back what was read: every channel's volume, and
// for the multiplexer the active port with its volume and the mute. A server may keep a
// volume for each port and bring it when the port changes, so a port's level is written
// only while that port is active: a level set before its port is chosen waits for the
// choice, and a port chosen without one keeps the source's volume.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/pulse_server.h"
#include "platform/mixer_device.h"

namespace corvane {

class PulseMixerDevice : public MixerDevice {
 public:
  enum class Sources {
    kHardware,       // the sound cards' (and other devices') inputs
    kAllButMonitors  // also virtual sources: for servers without hardware
  };

  explicit PulseMixerDevice(std::unique_ptr<PulseServer> server, Sources sources = Sources::kHardware);
  ~PulseMixerDevice() override;
  PulseMixerDevice(const PulseMixerDevice&) = delete;
  PulseMixerDevice& operator=(const PulseMixerDevice&) = delete;

  const PulseServer& Server() const { return *server_; }

  int CaptureDeviceCount() override;
  bool CaptureDeviceName(int device, std::string& name) override;
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
  struct LineKey;
  struct ControlKey;
  struct ReadBack;

  std::vector<PulseSource> Devices();
  const PulseSource* Find(MixerHandle handle) const;
  std::int32_t LineIdOf(const LineKey& key);
  std::int32_t ControlIdOf(const ControlKey& key);
  const LineKey* LineOf(const PulseSource& source, std::int32_t lineId) const;
  // The control, when it belongs to the open source of `handle`.
  const ControlKey* ControlOf(MixerHandle handle, std::int32_t controlId, bool ports) const;
  // Makes `port` the source's active port, with `mute`, at `volume`.
  bool ChangePort(const std::string& source, const std::string& port,
                  const std::vector<std::uint32_t>& volume, bool mute);

  std::unique_ptr<PulseServer> server_;
  Sources sources_;
  std::map<MixerHandle, PulseSource> open_;  // as each was when opened
  MixerHandle nextHandle_ = 1;
  // Ids are positions in these tables, kept for the device's life.
  std::vector<LineKey> lines_;
  std::vector<ControlKey> controls_;
  std::map<std::int32_t, ReadBack> lastRead_;  // by control id
  // By source: a level set for a port that is not active yet, per channel.
  std::map<std::string, std::pair<std::string, std::vector<std::uint32_t>>> pendingVolume_;
};

}  // namespace corvane
