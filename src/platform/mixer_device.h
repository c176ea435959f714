#pragma once
// The sound card mixers: which capture devices exist, and the lines and controls of a
// device's mixer, read and written one control at a time.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane {

// Identifies an open mixer; kInvalidMixer when none was opened.
using MixerHandle = std::int32_t;
inline constexpr MixerHandle kInvalidMixer = -1;

// Destination lines, by component type.
inline constexpr std::uint32_t kComponentPlayback = 4;
inline constexpr std::uint32_t kComponentRecording = 7;

// Control types.
inline constexpr std::uint32_t kControlMute = 0x20010002;    // one value: 1 = muted
inline constexpr std::uint32_t kControlVolume = 0x50030001;  // one value: 0 … 65535
inline constexpr std::uint32_t kControlMux = 0x70010001;     // one item per source: 1 = selected

// A destination line, or one of its source lines.
struct MixerLine {
  std::int32_t destination = -1;  // index of the destination the line belongs to
  std::int32_t lineId = -1;
  std::int32_t connections = 0;  // a destination's number of source lines
  std::string name;
};

struct MixerControl {
  std::int32_t controlId = -1;
  std::int32_t items = 0;  // number of items of a list control, else 0
};

// One item of a list control: its text and the line it stands for (-1 = none).
struct MixerListItem {
  std::int32_t lineId = -1;
  std::string text;
};

class MixerDevice {
 public:
  virtual ~MixerDevice() = default;

  // Capture devices, by index 0 … count - 1. Reading a name fails when the device's
  // capabilities cannot be read.
  virtual int CaptureDeviceCount() = 0;
  virtual bool CaptureDeviceName(int device, std::string& name) = 0;

  // Opens the mixer of capture device `device`.
  virtual bool Open(std::int32_t device, MixerHandle& handle) = 0;
  virtual void Close(MixerHandle handle) = 0;

  // The destination line of a component type.
  virtual bool DestinationLine(MixerHandle handle, std::uint32_t componentType, MixerLine& line) = 0;
  // Source line `source` (0 … connections - 1) of `destination`.
  virtual bool SourceLine(MixerHandle handle, const MixerLine& destination, std::int32_t source,
                      MixerLine& line) = 0;
  // The control of `controlType` on a line.
  virtual bool LineControl(MixerHandle handle, std::int32_t lineId, std::uint32_t controlType,
                       MixerControl& control) = 0;
  // The items of a list control; `items` arrives sized to the control's item count.
  virtual bool ListItems(MixerHandle handle, std::int32_t controlId,
                         std::vector<MixerListItem>& items) = 0;

  // A control's value as one 4-byte value, or as one 4-byte value per item.
  virtual bool GetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t& value) = 0;
  virtual bool SetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t value) = 0;
  virtual bool GetItems(MixerHandle handle, std::int32_t controlId,
                        std::span<std::uint32_t> items) = 0;
  virtual bool SetItems(MixerHandle handle, std::int32_t controlId,
                        std::span<const std::uint32_t> items) = 0;
};

}  // namespace corvane
