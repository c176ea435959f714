#pragma once
// The sound cards' mixers through ALSA's simple mixer, card by card ("hw:N"), with no
// sound server in between.
//
// Capture devices are the cards that can record, in card order. On a card's mixer the
// recording destination's source lines are its capture elements. Its multiplexer is
// the enumerated capture element ("Input Source"), whose items stand for the source
// lines of the same name, or else the exclusive capture switches that ALSA makes of a
// "Capture Source" selector, one item per source. A card with neither has no
// multiplexer. A source's volume is its capture volume scaled to 0 … 65535. The
// playback destination's source lines are the playback elements; a line's mute is its
// playback switch, inverted. Line and control ids are small numbers derived from the
// element order, the same at every open.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/mixer_device.h"

namespace corvane {

class AlsaMixerDevice : public MixerDevice {
 public:
  // A recording device named for the user, whose mixer is ALSA control device `control`.
  struct Card {
    std::string name;
    std::string control;
  };

  // The sound cards that can record.
  AlsaMixerDevice();
  // These devices instead of the sound cards (control devices of ALSA's configuration).
  explicit AlsaMixerDevice(std::vector<Card> cards);
  ~AlsaMixerDevice() override;
  AlsaMixerDevice(const AlsaMixerDevice&) = delete;
  AlsaMixerDevice& operator=(const AlsaMixerDevice&) = delete;

  int CaptureDeviceCount() override;
  bool CaptureDeviceName(int device, std::string& name) override;
  bool Open(std::int32_t device, MixerHandle& handle) override;
  void Close(MixerHandle handle) override;
  bool DestinationLine(MixerHandle handle, std::uint32_t componentType, MixerLine& line) override;
  bool SourceLine(MixerHandle handle, const MixerLine& destination, std::int32_t source,
                  MixerLine& line) override;
  bool LineControl(MixerHandle handle, std::int32_t lineId, std::uint32_t controlType,
                   MixerControl& control) override;
  bool ListItems(MixerHandle handle, std::int32_t controlId,
                 std::vector<MixerListItem>& items) override;
  bool GetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t& value) override;
  bool SetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t value) override;
  bool GetItems(MixerHandle handle, std::int32_t controlId, std::span<std::uint32_t> items) override;
  bool SetItems(MixerHandle handle, std::int32_t controlId,
                std::span<const std::uint32_t> items) override;

 private:
  struct CardMixer;
  CardMixer* Find(MixerHandle handle);
  std::vector<Card> Cards() const;

  std::vector<Card> fixedCards_;
  bool useFixedCards_ = false;

  std::map<MixerHandle, std::unique_ptr<CardMixer>> open_;
  MixerHandle nextHandle_ = 1;
};

}  // namespace corvane
