#include "platform/linux/alsa_mixer_device.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/linux/volume_scale.h"

namespace corvane {

namespace {

// Line ids: the two destinations, then two per element (its capture side, its
// playback side). Control ids: three per element.
constexpr std::int32_t kRecordingLine = 0;
constexpr std::int32_t kPlaybackLine = 1;
std::int32_t CaptureLineOf(std::size_t element) { return static_cast<std::int32_t>(2 + 2 * element); }
std::int32_t PlaybackLineOf(std::size_t element) { return static_cast<std::int32_t>(3 + 2 * element); }

enum ControlKind { kCaptureVolume = 0, kPlaybackMute = 1, kSourceList = 2, kKinds = 3 };
std::int32_t ControlOf(std::size_t element, ControlKind kind) {
  return static_cast<std::int32_t>(element * kKinds + kind);
}

std::string CardDevice(int card) { return "hw:" + std::to_string(card); }

// Whether the card has a PCM device that records.
bool CanRecord(int card) {
  snd_ctl_t* ctl = nullptr;
  if (snd_ctl_open(&ctl, CardDevice(card).c_str(), 0) < 0) return false;
  snd_pcm_info_t* info = nullptr;
  snd_pcm_info_alloca(&info);
  bool records = false;
  int device = -1;
  while (!records && snd_ctl_pcm_next_device(ctl, &device) >= 0 && device >= 0) {
    snd_pcm_info_set_device(info, static_cast<unsigned>(device));
    snd_pcm_info_set_subdevice(info, 0);
    snd_pcm_info_set_stream(info, SND_PCM_STREAM_CAPTURE);
    records = snd_ctl_pcm_info(ctl, info) >= 0;
  }
  snd_ctl_close(ctl);
  return records;
}

std::string ElementName(snd_mixer_elem_t* elem) {
  std::string name = snd_mixer_selem_get_name(elem);
  const unsigned index = snd_mixer_selem_get_index(elem);
  if (index > 0) name += "," + std::to_string(index);
  return name;
}

bool IsCaptureSourceName(const std::string& name) {
  return name == "Capture Source" || name == "Input Source";
}

}  // namespace

struct AlsaMixerDevice::CardMixer {
  snd_mixer_t* mixer = nullptr;
  std::vector<snd_mixer_elem_t*> elements;  // in the mixer's element order
  std::vector<std::size_t> capture;         // elements that are recording source lines
  std::vector<std::size_t> playback;        // elements that are playback source lines
  // The recording multiplexer: an enumerated capture element ("Input Source"), or else
  // the capture switches that ALSA makes of a "Capture Source" selector, one per
  // source, of which only one is on.
  std::size_t sourceList = 0;  // the enumerated element, if hasSourceList
  bool hasSourceList = false;
  bool sourceListNamed = false;
  std::vector<std::size_t> exclusiveSwitches;  // elements whose capture switch is exclusive

  ~CardMixer() {
    if (mixer) snd_mixer_close(mixer);
  }

  bool Load(const std::string& control) {
    if (snd_mixer_open(&mixer, 0) < 0) {
      mixer = nullptr;
      return false;
    }
    if (snd_mixer_attach(mixer, control.c_str()) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
      return false;
    }
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer); e; e = snd_mixer_elem_next(e)) {
      if (!snd_mixer_selem_is_active(e)) continue;
      const std::size_t index = elements.size();
      elements.push_back(e);
      if (snd_mixer_selem_is_enumerated(e)) {
        // The selector by its usual names; another capture enum only when there is none.
        if (IsCaptureSourceName(snd_mixer_selem_get_name(e)) && !sourceListNamed) {
          sourceList = index;
          hasSourceList = sourceListNamed = true;
        } else if (snd_mixer_selem_is_enum_capture(e) && !hasSourceList) {
          sourceList = index;
          hasSourceList = true;
        }
        continue;
      }
      if (snd_mixer_selem_has_capture_volume(e) || snd_mixer_selem_has_capture_switch(e)) {
        capture.push_back(index);
      }
      if (snd_mixer_selem_has_capture_switch_exclusive(e) &&
          (exclusiveSwitches.empty() ||
           snd_mixer_selem_get_capture_group(e) ==
               snd_mixer_selem_get_capture_group(elements[exclusiveSwitches[0]]))) {
        exclusiveSwitches.push_back(index);
      }
      if (snd_mixer_selem_has_playback_volume(e) || snd_mixer_selem_has_playback_switch(e)) {
        playback.push_back(index);
      }
    }
    return true;
  }

  // The element of a control id of `kind`, or nullptr.
  snd_mixer_elem_t* ControlElement(std::int32_t id, ControlKind kind) const {
    if (id < 0 || id % kKinds != kind) return nullptr;
    const auto index = static_cast<std::size_t>(id / kKinds);
    if (index >= elements.size()) return nullptr;
    snd_mixer_elem_t* e = elements[index];
    switch (kind) {
      case kCaptureVolume: return snd_mixer_selem_has_capture_volume(e) ? e : nullptr;
      case kPlaybackMute: return snd_mixer_selem_has_playback_switch(e) ? e : nullptr;
      case kSourceList: return HasMux() && index == MuxElement() ? e : nullptr;
      default: return nullptr;
    }
  }

  bool HasMux() const { return hasSourceList || !exclusiveSwitches.empty(); }
  // The element that carries the multiplexer's control id.
  std::size_t MuxElement() const { return hasSourceList ? sourceList : exclusiveSwitches[0]; }
  std::int32_t MuxItems() const {
    return hasSourceList ? snd_mixer_selem_get_enum_items(elements[sourceList])
                         : static_cast<std::int32_t>(exclusiveSwitches.size());
  }

  // The element of a source line id on the capture (or playback) side, or -1.
  std::int64_t LineElement(std::int32_t lineId, bool captureSide) const {
    if (lineId < 2 || (lineId % 2 == 0) != captureSide) return -1;
    return (lineId - 2) / 2;
  }
};

AlsaMixerDevice::AlsaMixerDevice() = default;
AlsaMixerDevice::AlsaMixerDevice(std::vector<Card> cards)
    : fixedCards_(std::move(cards)), useFixedCards_(true) {}
AlsaMixerDevice::~AlsaMixerDevice() = default;

AlsaMixerDevice::CardMixer* AlsaMixerDevice::Find(MixerHandle handle) {
  const auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second.get();
}

// Listed afresh at every call: cards come and go.
std::vector<AlsaMixerDevice::Card> AlsaMixerDevice::Cards() const {
  if (useFixedCards_) return fixedCards_;
  std::vector<Card> cards;
  int card = -1;
  while (snd_card_next(&card) >= 0 && card >= 0) {
    if (!CanRecord(card)) continue;
    char* name = nullptr;
    // A card whose name cannot be read keeps its place, nameless: listing stops there.
    if (snd_card_get_name(card, &name) < 0) name = nullptr;
    cards.push_back({name ? name : "", CardDevice(card)});
    std::free(name);
  }
  return cards;
}

int AlsaMixerDevice::CaptureDeviceCount() { return static_cast<int>(Cards().size()); }

bool AlsaMixerDevice::CaptureDeviceName(int device, std::string& name) {
  const std::vector<Card> cards = Cards();
  if (device < 0 || static_cast<std::size_t>(device) >= cards.size()) return false;
  const Card& card = cards[static_cast<std::size_t>(device)];
  if (card.name.empty()) return false;
  name = card.name;
  return true;
}

bool AlsaMixerDevice::Open(std::int32_t device, MixerHandle& handle) {
  const std::vector<Card> cards = Cards();
  if (device < 0 || static_cast<std::size_t>(device) >= cards.size()) return false;
  auto mixer = std::make_unique<CardMixer>();
  if (!mixer->Load(cards[static_cast<std::size_t>(device)].control)) return false;
  handle = nextHandle_++;
  if (nextHandle_ < 0) nextHandle_ = 1;
  open_[handle] = std::move(mixer);
  return true;
}

void AlsaMixerDevice::Close(MixerHandle handle) { open_.erase(handle); }

bool AlsaMixerDevice::DestinationLine(MixerHandle handle, std::uint32_t componentType,
                                      MixerLine& line) {
  const CardMixer* m = Find(handle);
  if (!m) return false;
  if (componentType == kComponentRecording && (!m->capture.empty() || m->HasMux())) {
    line = {kRecordingLine, kRecordingLine, static_cast<std::int32_t>(m->capture.size()), "Capture"};
    return true;
  }
  if (componentType == kComponentPlayback && !m->playback.empty()) {
    line = {kPlaybackLine, kPlaybackLine, static_cast<std::int32_t>(m->playback.size()), "Playback"};
    return true;
  }
  return false;
}

bool AlsaMixerDevice::SourceLine(MixerHandle handle, const MixerLine& destination,
                                 std::int32_t source, MixerLine& line) {
  const CardMixer* m = Find(handle);
  if (!m || source < 0) return false;
  const bool recording = destination.lineId == kRecordingLine;
  if (!recording && destination.lineId != kPlaybackLine) return false;
  const auto& sources = recording ? m->capture : m->playback;
  if (static_cast<std::size_t>(source) >= sources.size()) return false;
  const std::size_t element = sources[static_cast<std::size_t>(source)];
  line.destination = destination.destination;
  line.lineId = recording ? CaptureLineOf(element) : PlaybackLineOf(element);
  line.connections = 0;
  line.name = ElementName(m->elements[element]);
  return true;
}

bool AlsaMixerDevice::LineControl(MixerHandle handle, std::int32_t lineId,
                                  std::uint32_t controlType, MixerControl& control) {
  const CardMixer* m = Find(handle);
  if (!m) return false;
  if (lineId == kRecordingLine && controlType == kControlMux) {
    if (!m->HasMux()) return false;
    control.controlId = ControlOf(m->MuxElement(), kSourceList);
    control.items = m->MuxItems();
    return control.items > 0;
  }
  const bool captureSide = controlType == kControlVolume;
  if (!captureSide && controlType != kControlMute) return false;
  const std::int64_t element = m->LineElement(lineId, captureSide);
  if (element < 0 || static_cast<std::size_t>(element) >= m->elements.size()) return false;
  const auto index = static_cast<std::size_t>(element);
  const ControlKind kind = captureSide ? kCaptureVolume : kPlaybackMute;
  const std::int32_t id = ControlOf(index, kind);
  if (!m->ControlElement(id, kind)) return false;
  control.controlId = id;
  control.items = 0;
  return true;
}

bool AlsaMixerDevice::ListItems(MixerHandle handle, std::int32_t controlId,
                                std::vector<MixerListItem>& items) {
  const CardMixer* m = Find(handle);
  if (!m || !m->ControlElement(controlId, kSourceList)) return false;
  const auto count = static_cast<std::size_t>(m->MuxItems());
  for (std::size_t i = 0; i < items.size(); ++i) {
    items[i] = {};
    if (i >= count) continue;
    if (!m->hasSourceList) {
      const std::size_t element = m->exclusiveSwitches[i];
      items[i] = {CaptureLineOf(element), ElementName(m->elements[element])};
      continue;
    }
    char text[64] = {};
    if (snd_mixer_selem_get_enum_item_name(m->elements[m->sourceList], static_cast<unsigned>(i),
                                           sizeof text, text) < 0) {
      continue;
    }
    items[i].text = text;
    for (std::size_t element : m->capture) {
      if (ElementName(m->elements[element]) == items[i].text) {
        items[i].lineId = CaptureLineOf(element);
        break;
      }
    }
  }
  return true;
}

bool AlsaMixerDevice::GetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t& value) {
  const CardMixer* m = Find(handle);
  if (!m) return false;
  if (snd_mixer_elem_t* e = m->ControlElement(controlId, kCaptureVolume)) {
    long min = 0, max = 0, steps = 0;
    if (snd_mixer_selem_get_capture_volume_range(e, &min, &max) < 0 ||
        snd_mixer_selem_get_capture_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &steps) < 0) {
      return false;
    }
    value = StepsToLevel(steps, min, max);
    return true;
  }
  if (snd_mixer_elem_t* e = m->ControlElement(controlId, kPlaybackMute)) {
    int on = 0;
    if (snd_mixer_selem_get_playback_switch(e, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0) return false;
    value = on ? 0 : 1;
    return true;
  }
  return false;
}

bool AlsaMixerDevice::SetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t value) {
  const CardMixer* m = Find(handle);
  if (!m) return false;
  if (snd_mixer_elem_t* e = m->ControlElement(controlId, kCaptureVolume)) {
    long min = 0, max = 0;
    if (snd_mixer_selem_get_capture_volume_range(e, &min, &max) < 0) return false;
    return snd_mixer_selem_set_capture_volume_all(e, LevelToSteps(value, min, max)) >= 0;
  }
  if (snd_mixer_elem_t* e = m->ControlElement(controlId, kPlaybackMute)) {
    return snd_mixer_selem_set_playback_switch_all(e, value ? 0 : 1) >= 0;
  }
  return false;
}

bool AlsaMixerDevice::GetItems(MixerHandle handle, std::int32_t controlId,
                               std::span<std::uint32_t> items) {
  const CardMixer* m = Find(handle);
  snd_mixer_elem_t* list = m ? m->ControlElement(controlId, kSourceList) : nullptr;
  if (!list) return false;
  std::fill(items.begin(), items.end(), 0);
  if (!m->hasSourceList) {
    for (std::size_t i = 0; i < items.size() && i < m->exclusiveSwitches.size(); ++i) {
      int on = 0;
      snd_mixer_elem_t* e = m->elements[m->exclusiveSwitches[i]];
      if (snd_mixer_selem_get_capture_switch(e, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0) return false;
      items[i] = on ? 1 : 0;
    }
    return true;
  }
  unsigned selected = 0;
  if (snd_mixer_selem_get_enum_item(list, SND_MIXER_SCHN_FRONT_LEFT, &selected) < 0) return false;
  if (selected < items.size()) items[selected] = 1;
  return true;
}

bool AlsaMixerDevice::SetItems(MixerHandle handle, std::int32_t controlId,
                               std::span<const std::uint32_t> items) {
  const CardMixer* m = Find(handle);
  snd_mixer_elem_t* list = m ? m->ControlElement(controlId, kSourceList) : nullptr;
  if (!list) return false;
  const auto count = static_cast<std::size_t>(m->MuxItems());
  // A multiplexer always selects one item: the first one set wins, none set changes nothing.
  const auto first = std::find_if(items.begin(), items.end(), [](std::uint32_t v) { return v != 0; });
  const auto item = static_cast<std::size_t>(first - items.begin());
  if (item >= count) return false;
  if (!m->hasSourceList) {
    return snd_mixer_selem_set_capture_switch_all(m->elements[m->exclusiveSwitches[item]], 1) >= 0;
  }
  const auto index = static_cast<unsigned>(item);
  if (snd_mixer_selem_set_enum_item(list, SND_MIXER_SCHN_FRONT_LEFT, index) < 0) return false;
  for (int channel = SND_MIXER_SCHN_FRONT_LEFT + 1; channel <= SND_MIXER_SCHN_LAST; ++channel) {
    if (snd_mixer_selem_set_enum_item(list, static_cast<snd_mixer_selem_channel_id_t>(channel),
                                      index) < 0) {
      break;
    }
  }
  return true;
}

}  // namespace corvane
