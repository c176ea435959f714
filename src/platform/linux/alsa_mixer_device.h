#pragma once
// The sound cards' mixers through ALSA's simple mixer, card by card, with no sound server
// in between (a sound server follows the card's controls).
//
// Capture devices are the cards that can record, in card order. The recording
// destination's source lines are the card's recording sources (alsa_card_layout.h): the
// items of its recording selector, or its elements with exclusive capture switches, or
// its inputs with a capture switch or volume of their own, or its single capture element.
// The multiplexer is what chooses among them: the selector, the exclusive switches, or
// the inputs' own capture switches (the chosen one on, the others off), one item per
// source. A source's volume is its own capture volume, else the "Capture" volume that
// records it, scaled to 0 … 65535. The playback destination's source lines are the
// playback elements; a line's mute is its playback switch, inverted.
//
// Line and control ids name a card by its id string and an element by its name and
// index, so they stay valid while elements turn inactive and cards come and go; a
// control that cannot be found is not written. Values are read and written on every
// channel: a volume reads as its loudest channel, and writing back the value last read
// gives back every channel as it was read (and the global "NAME Switch" that ALSA's
// simple mixer turns on by itself). A multiplexer reads as the sources any channel
// records; one source recorded only in part reads as none, so that choosing it is never
// taken for giving it back.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/mixer_device.h"

typedef struct _snd_mixer_elem snd_mixer_elem_t;

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
  struct LineKey;
  struct ControlKey;
  struct ReadBack;

  CardMixer* Find(MixerHandle handle);
  std::vector<Card> Cards() const;
  std::int32_t LineIdOf(const LineKey& key);
  std::int32_t ControlIdOf(const ControlKey& key);
  const LineKey* LineOf(const CardMixer& mixer, std::int32_t lineId) const;
  const ControlKey* ControlOf(std::int32_t controlId) const;
  // The card mixer that holds a control: the handle's, or the control's own card opened
  // into `other`. Nullptr when that card cannot be opened.
  CardMixer* MixerOf(MixerHandle handle, const ControlKey& key, std::unique_ptr<CardMixer>& other);
  bool Read(MixerHandle handle, std::int32_t controlId, std::span<std::uint32_t> values);
  bool Write(MixerHandle handle, std::int32_t controlId, std::span<const std::uint32_t> values);
  // The writes of Write: `channels` as read, when the value read is written back.
  static bool WriteElements(CardMixer& m, const ControlKey& key,
                            std::vector<snd_mixer_elem_t*>& elements, std::span<const std::uint32_t> values,
                            const std::vector<std::vector<long>>* channels, std::size_t firstSet);

  std::vector<Card> fixedCards_;
  bool useFixedCards_ = false;

  std::map<MixerHandle, std::unique_ptr<CardMixer>> open_;
  MixerHandle nextHandle_ = 1;
  // Ids are positions in these tables, kept for the device's life.
  std::vector<LineKey> lines_;
  std::vector<ControlKey> controls_;
  std::map<std::int32_t, ReadBack> lastRead_;  // by control id
};

}  // namespace corvane
