#include "platform/linux/alsa_mixer_device.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/linux/alsa_card_layout.h"
#include "platform/linux/alsa_element_channels.h"
#include "platform/linux/mixer_ids.h"
#include "platform/linux/volume_scale.h"

namespace corvane {

namespace {

std::string CardDevice(int card) { return "hw:" + std::to_string(card); }

// The card's id string ("Intel", "I82801AAICH"), if it has a PCM device that records.
bool RecordingCardId(int card, std::string& id) {
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
  snd_ctl_card_info_t* cardInfo = nullptr;
  snd_ctl_card_info_alloca(&cardInfo);
  if (records && snd_ctl_card_info(ctl, cardInfo) >= 0) id = snd_ctl_card_info_get_id(cardInfo);
  snd_ctl_close(ctl);
  return records && !id.empty();
}

enum class LineKind { kRecording, kPlayback, kRecordingSource, kPlaybackSource };
enum class ControlKind { kCaptureVolume, kPlaybackMute, kSelector, kExclusiveSwitches, kSwitchEach };

// An input's own capture switch as the kernel has it: "NAME Capture Switch", or the
// routing matrix "NAME Capture Route". Read and written past the simple
// mixer, which reads some cards' input switches from their global "NAME Switch" instead.
bool ReadInputSwitch(snd_mixer_t* mixer, const std::string& card, const ElementId& input, std::string& name,
                     std::vector<long>& values) {
  // The shared "Capture" element's is "Capture Switch".
  const std::string base = input.name == "Capture" ? "" : input.name + " ";
  for (const char* kind : {"Capture Switch", "Capture Route"}) {
    name = base + kind;
    if (ReadRawControl(mixer, card, name, input.index, values) && !values.empty()) return true;
  }
  return false;
}

bool IsRoute(const std::string& name) { return name.ends_with(" Route"); }

// The matrix side: n inputs by n channels.
std::size_t RouteSide(const std::vector<long>& values) {
  std::size_t n = 1;
  while (n * n < values.size()) ++n;
  return n * n == values.size() ? n : 0;
}

// On: every switch, or each channel routed to itself; off: nothing at all.
std::vector<long> InputSwitchSet(const std::string& name, std::vector<long> values, bool on) {
  const std::size_t n = IsRoute(name) ? RouteSide(values) : 0;
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = on && (n == 0 || i % (n + 1) == 0) ? 1 : 0;
  return values;
}

bool AllEqual(const std::vector<long>& values, long value) {
  return !values.empty() && std::all_of(values.begin(), values.end(), [&](long v) { return v == value; });
}

}  // namespace

struct AlsaMixerDevice::LineKey {
  std::string card;
  LineKind kind;
  ElementId element;
  int item = -1;
  bool operator==(const LineKey&) const = default;
};

struct AlsaMixerDevice::ControlKey {
  std::string card;
  ControlKind kind;
  std::vector<ElementId> elements;  // one, or the multiplexer's, one per item
  bool operator==(const ControlKey&) const = default;
};

// What a read reported, and the channels it was made of.
struct AlsaMixerDevice::ReadBack {
  std::vector<std::uint32_t> reported;
  std::vector<std::vector<long>> channels;  // per element
  std::vector<std::vector<long>> globalSwitches;  // per element; empty where it has none
};

struct AlsaMixerDevice::CardMixer {
  std::string card;  // the ALSA control device
  snd_mixer_t* mixer = nullptr;
  CardLayout layout;

  ~CardMixer() { Unload(); }

  void Unload() {
    if (mixer) snd_mixer_close(mixer);
    mixer = nullptr;
  }

  bool Load(const std::string& control) {
    card = control;
    if (snd_mixer_open(&mixer, 0) < 0) {
      mixer = nullptr;
      return false;
    }
    return snd_mixer_attach(mixer, control.c_str()) >= 0 &&
           snd_mixer_selem_register(mixer, nullptr, nullptr) >= 0 && snd_mixer_load(mixer) >= 0;
  }

  // Reads every element afresh: the simple mixer does not see what a write to one
  // exclusive switch did to the others of its group until then.
  bool Reload() {
    Unload();
    return Load(card);
  }

  snd_mixer_elem_t* Element(const ElementId& id) const { return FindElement(mixer, id); }
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
    std::string id;
    if (!RecordingCardId(card, id)) continue;
    char* name = nullptr;
    // A card whose name cannot be read keeps its place, nameless: listing stops there.
    if (snd_card_get_name(card, &name) < 0) name = nullptr;
    cards.push_back({name ? name : "", "hw:" + id});
    std::free(name);
  }
  return cards;
}

std::int32_t AlsaMixerDevice::LineIdOf(const LineKey& key) { return IdIn(lines_, key); }

std::int32_t AlsaMixerDevice::ControlIdOf(const ControlKey& key) { return IdIn(controls_, key); }

const AlsaMixerDevice::LineKey* AlsaMixerDevice::LineOf(const CardMixer& mixer, std::int32_t lineId) const {
  const LineKey* key = KeyOf(lines_, lineId);
  return key && key->card == mixer.card ? key : nullptr;
}

const AlsaMixerDevice::ControlKey* AlsaMixerDevice::ControlOf(std::int32_t controlId) const {
  return KeyOf(controls_, controlId);
}

AlsaMixerDevice::CardMixer* AlsaMixerDevice::MixerOf(MixerHandle handle, const ControlKey& key,
                                                     std::unique_ptr<CardMixer>& other) {
  CardMixer* m = Find(handle);
  if (!m || m->card == key.card) return m;
  other = std::make_unique<CardMixer>();
  return other->Load(key.card) ? other.get() : nullptr;
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
  mixer->layout = ReadCardLayout(mixer->mixer);
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
  const CardLayout& layout = m->layout;
  if (componentType == kComponentRecording && !layout.sources.empty()) {
    line = {0, LineIdOf({m->card, LineKind::kRecording, {}, -1}),
            static_cast<std::int32_t>(layout.sources.size()), "Capture"};
    return true;
  }
  if (componentType == kComponentPlayback && !layout.playback.empty()) {
    line = {1, LineIdOf({m->card, LineKind::kPlayback, {}, -1}),
            static_cast<std::int32_t>(layout.playback.size()), "Playback"};
    return true;
  }
  return false;
}

bool AlsaMixerDevice::SourceLine(MixerHandle handle, const MixerLine& destination,
                                 std::int32_t source, MixerLine& line) {
  const CardMixer* m = Find(handle);
  const LineKey* key = m ? LineOf(*m, destination.lineId) : nullptr;
  if (!key || source < 0) return false;
  const auto index = static_cast<std::size_t>(source);
  const CardLayout& layout = m->layout;
  if (key->kind == LineKind::kRecording && index < layout.sources.size()) {
    const RecordingSource& s = layout.sources[index];
    line = {destination.destination, LineIdOf({m->card, LineKind::kRecordingSource, s.element, s.item}), 0,
            s.name};
    return true;
  }
  if (key->kind == LineKind::kPlayback && index < layout.playback.size()) {
    const ElementId& e = layout.playback[index];
    line = {destination.destination, LineIdOf({m->card, LineKind::kPlaybackSource, e, -1}), 0,
            DisplayName(e)};
    return true;
  }
  return false;
}

bool AlsaMixerDevice::LineControl(MixerHandle handle, std::int32_t lineId, std::uint32_t controlType,
                                  MixerControl& control) {
  const CardMixer* m = Find(handle);
  const LineKey* found = m ? LineOf(*m, lineId) : nullptr;
  if (!found) return false;
  const LineKey key = *found;  // the tables may grow below
  const CardLayout& layout = m->layout;

  if (controlType == kControlMux && key.kind == LineKind::kRecording && !layout.sources.empty()) {
    ControlKey mux{m->card, ControlKind::kSelector, {layout.selector}};
    if (layout.choice != SourceChoice::kSelector) {
      mux = {m->card,
             layout.choice == SourceChoice::kExclusiveSwitches ? ControlKind::kExclusiveSwitches
                                                               : ControlKind::kSwitchEach,
             {}};
      for (const RecordingSource& s : layout.sources) mux.elements.push_back(s.element);
    }
    control = {ControlIdOf(mux), static_cast<std::int32_t>(layout.sources.size())};
    return true;
  }
  if (controlType == kControlVolume && key.kind == LineKind::kRecordingSource) {
    const auto s = std::find_if(layout.sources.begin(), layout.sources.end(), [&](const RecordingSource& r) {
      return r.element == key.element && r.item == key.item;
    });
    if (s == layout.sources.end() || !s->volume) return false;
    control = {ControlIdOf({m->card, ControlKind::kCaptureVolume, {*s->volume}}), 0};
    return true;
  }
  if (controlType == kControlMute && key.kind == LineKind::kPlaybackSource) {
    snd_mixer_elem_t* e = m->Element(key.element);
    if (!e || !snd_mixer_selem_has_playback_switch(e)) return false;
    control = {ControlIdOf({m->card, ControlKind::kPlaybackMute, {key.element}}), 0};
    return true;
  }
  return false;
}

bool AlsaMixerDevice::ListItems(MixerHandle handle, std::int32_t controlId,
                                std::vector<MixerListItem>& items) {
  const CardMixer* m = Find(handle);
  const ControlKey* found = ControlOf(controlId);
  if (!m || !found || found->card != m->card) return false;
  const ControlKey key = *found;
  if (key.kind == ControlKind::kSelector) {
    snd_mixer_elem_t* selector = m->Element(key.elements[0]);
    if (!selector || !snd_mixer_selem_is_enumerated(selector)) return false;
    const auto count = static_cast<std::size_t>(std::max(0, snd_mixer_selem_get_enum_items(selector)));
    for (std::size_t i = 0; i < items.size(); ++i) {
      items[i] = {};
      char text[64] = {};
      if (i >= count ||
          snd_mixer_selem_get_enum_item_name(selector, static_cast<unsigned>(i), sizeof text, text) < 0) {
        continue;
      }
      const int item = static_cast<int>(i);
      items[i] = {LineIdOf({m->card, LineKind::kRecordingSource, key.elements[0], item}), text};
    }
    return true;
  }
  if (key.kind != ControlKind::kExclusiveSwitches && key.kind != ControlKind::kSwitchEach) return false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    items[i] = {};
    if (i >= key.elements.size()) continue;
    const ElementId& e = key.elements[i];
    items[i] = {LineIdOf({m->card, LineKind::kRecordingSource, e, -1}), DisplayName(e)};
  }
  return true;
}

bool AlsaMixerDevice::Read(MixerHandle handle, std::int32_t controlId, std::span<std::uint32_t> values) {
  const ControlKey* key = ControlOf(controlId);
  if (!key) return false;
  std::unique_ptr<CardMixer> other;
  CardMixer* m = MixerOf(handle, *key, other);
  if (!m) return false;
  ReadBack read;
  // Multiplexer items: on where any channel records them, whole where every channel does
  // (and, for own switches, nothing else is routed).
  std::vector<bool> whole(values.size(), true);
  for (const ElementId& id : key->elements) {
    snd_mixer_elem_t* e = m->Element(id);
    if (!e) return false;
    std::vector<long> channels;
    switch (key->kind) {
      case ControlKind::kCaptureVolume: {
        long min = 0, max = 0;
        if (values.size() != 1 || !ReadChannels(e, ElementPart::kCaptureVolume, channels) ||
            snd_mixer_selem_get_capture_volume_range(e, &min, &max) < 0) {
          return false;
        }
        // The loudest channel is the level.
        std::uint32_t level = 0;
        for (long steps : channels) level = std::max(level, StepsToLevel(steps, min, max));
        values[0] = level;
        break;
      }
      case ControlKind::kPlaybackMute:
        if (values.size() != 1 || !ReadChannels(e, ElementPart::kPlaybackSwitch, channels)) return false;
        values[0] = AllEqual(channels, 0) ? 1 : 0;  // muted when no channel plays
        break;
      case ControlKind::kSelector:
        if (!ReadChannels(e, ElementPart::kEnumItem, channels)) return false;
        for (std::size_t i = 0; i < values.size(); ++i) {
          const auto item = static_cast<long>(i);
          values[i] = std::find(channels.begin(), channels.end(), item) != channels.end() ? 1 : 0;
          whole[i] = AllEqual(channels, item);
        }
        break;
      case ControlKind::kSwitchEach: {
        const std::size_t item = read.channels.size();
        // An input with a capture volume only cannot be switched: it reads as off.
        std::string name;
        if (ReadInputSwitch(m->mixer, m->card, id, name, channels) && item < values.size()) {
          values[item] = AllEqual(channels, 0) ? 0 : 1;
          whole[item] = InputSwitchSet(name, channels, true) == channels;
        }
        break;
      }
      case ControlKind::kExclusiveSwitches: {
        const std::size_t item = read.channels.size();
        // An input with a capture volume only cannot be switched: it reads as off.
        if (HasPart(e, ElementPart::kCaptureSwitch) && !ReadChannels(e, ElementPart::kCaptureSwitch, channels)) {
          return false;
        }
        if (item < values.size()) {
          values[item] = std::find(channels.begin(), channels.end(), 1) != channels.end() ? 1 : 0;
          whole[item] = AllEqual(channels, 1);
        }
        break;
      }
    }
    read.channels.push_back(std::move(channels));
    std::vector<long> global;
    ReadRawControl(m->mixer, m->card, id.name + " Switch", id.index, global);
    read.globalSwitches.push_back(std::move(global));
  }
  // One source recorded only in part reads as none: a choice of it (one item set) must
  // then not be taken for the value read, which is given back channel by channel.
  if (std::count(values.begin(), values.end(), 1u) == 1) {
    const auto on = static_cast<std::size_t>(std::find(values.begin(), values.end(), 1u) - values.begin());
    if (!whole[on]) std::fill(values.begin(), values.end(), 0);
  }
  read.reported.assign(values.begin(), values.end());
  lastRead_[controlId] = std::move(read);
  return true;
}

bool AlsaMixerDevice::Write(MixerHandle handle, std::int32_t controlId, std::span<const std::uint32_t> values) {
  const ControlKey* key = ControlOf(controlId);
  if (!key || values.empty()) return false;
  std::unique_ptr<CardMixer> other;
  CardMixer* m = MixerOf(handle, *key, other);
  if (!m) return false;
  std::vector<snd_mixer_elem_t*> elements;
  for (const ElementId& id : key->elements) {
    snd_mixer_elem_t* e = m->Element(id);
    if (!e) return false;  // a control that is gone: nothing is written anywhere
    elements.push_back(e);
  }
  // The value last read, written back: every channel as it was.
  const auto last = lastRead_.find(controlId);
  const bool asRead = last != lastRead_.end() &&
                      std::equal(values.begin(), values.end(), last->second.reported.begin(),
                                 last->second.reported.end()) &&
                      last->second.channels.size() == elements.size();
  const std::vector<std::vector<long>>* channels = asRead ? &last->second.channels : nullptr;
  const auto first = std::find_if(values.begin(), values.end(), [](std::uint32_t v) { return v != 0; });
  const auto firstSet = static_cast<std::size_t>(first - values.begin());
  const bool written = WriteElements(*m, *key, elements, values, channels, firstSet);
  if (written && asRead) {
    for (std::size_t i = 0; i < key->elements.size(); ++i) {
      const std::vector<long>& global = last->second.globalSwitches[i];
      const ElementId& element = key->elements[i];
      if (!global.empty()) WriteRawControl(m->mixer, m->card, element.name + " Switch", element.index, global);
    }
  }
  return written;
}

bool AlsaMixerDevice::WriteElements(CardMixer& m, const ControlKey& key,
                                    std::vector<snd_mixer_elem_t*>& elements,
                                    std::span<const std::uint32_t> values,
                                    const std::vector<std::vector<long>>* channels, std::size_t firstSet) {
  switch (key.kind) {
    case ControlKind::kCaptureVolume: {
      if (channels) return WriteChannels(elements[0], ElementPart::kCaptureVolume, (*channels)[0]);
      long min = 0, max = 0;
      if (snd_mixer_selem_get_capture_volume_range(elements[0], &min, &max) < 0) return false;
      return WriteAllChannels(elements[0], ElementPart::kCaptureVolume, LevelToSteps(values[0], min, max));
    }
    case ControlKind::kPlaybackMute:
      if (channels) return WriteChannels(elements[0], ElementPart::kPlaybackSwitch, (*channels)[0]);
      return WriteAllChannels(elements[0], ElementPart::kPlaybackSwitch, values[0] ? 0 : 1);
    case ControlKind::kSelector:
      if (channels) return WriteChannels(elements[0], ElementPart::kEnumItem, (*channels)[0]);
      // A selector always selects one item: the first one set; none set changes nothing.
      if (firstSet >= values.size() ||
          firstSet >= static_cast<std::size_t>(std::max(0, snd_mixer_selem_get_enum_items(elements[0])))) {
        return false;
      }
      return WriteAllChannels(elements[0], ElementPart::kEnumItem, static_cast<long>(firstSet));
    case ControlKind::kExclusiveSwitches:
      if (channels) {
        // Channel by channel, the source each one had; the group is read again after each
        // write, as the write moved the others' switches.
        for (std::size_t i = 0; i < key.elements.size(); ++i) {
          snd_mixer_elem_t* e = m.Element(key.elements[i]);
          if (!e || !WriteChannels(e, ElementPart::kCaptureSwitch, (*channels)[i]) || !m.Reload()) return false;
        }
        return true;
      }
      if (firstSet >= elements.size()) return false;
      return WriteAllChannels(elements[firstSet], ElementPart::kCaptureSwitch, 1);
    case ControlKind::kSwitchEach: {
      bool written = true;
      for (std::size_t i = 0; i < key.elements.size() && i < values.size(); ++i) {
        std::string name;
        std::vector<long> now;
        if (!ReadInputSwitch(m.mixer, m.card, key.elements[i], name, now)) continue;
        const std::vector<long> wanted = channels ? (*channels)[i] : InputSwitchSet(name, now, values[i] != 0);
        if (wanted != now) {
          written = WriteRawControl(m.mixer, m.card, name, key.elements[i].index, wanted) && written;
        }
      }
      return written;
    }
  }
  return false;
}

bool AlsaMixerDevice::GetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t& value) {
  const ControlKey* key = ControlOf(controlId);
  if (!key || (key->kind != ControlKind::kCaptureVolume && key->kind != ControlKind::kPlaybackMute)) return false;
  return Read(handle, controlId, std::span<std::uint32_t>(&value, 1));
}

bool AlsaMixerDevice::SetValue(MixerHandle handle, std::int32_t controlId, std::uint32_t value) {
  const ControlKey* key = ControlOf(controlId);
  if (!key || (key->kind != ControlKind::kCaptureVolume && key->kind != ControlKind::kPlaybackMute)) return false;
  return Write(handle, controlId, std::span<const std::uint32_t>(&value, 1));
}

bool AlsaMixerDevice::GetItems(MixerHandle handle, std::int32_t controlId, std::span<std::uint32_t> items) {
  const ControlKey* key = ControlOf(controlId);
  if (!key || key->kind == ControlKind::kCaptureVolume || key->kind == ControlKind::kPlaybackMute) return false;
  std::fill(items.begin(), items.end(), 0);
  return Read(handle, controlId, items);
}

bool AlsaMixerDevice::SetItems(MixerHandle handle, std::int32_t controlId,
                               std::span<const std::uint32_t> items) {
  const ControlKey* key = ControlOf(controlId);
  if (!key || key->kind == ControlKind::kCaptureVolume || key->kind == ControlKind::kPlaybackMute) return false;
  return Write(handle, controlId, items);
}

}  // namespace corvane
