#include "platform/linux/alsa_card_layout.h"

#include <algorithm>

namespace corvane {

namespace {

constexpr const char* kSharedCapture = "Capture";

bool IsEnumerated(snd_mixer_elem_t* e) { return snd_mixer_selem_is_enumerated(e) != 0; }
bool HasCapture(snd_mixer_elem_t* e) {
  return snd_mixer_selem_has_capture_volume(e) || snd_mixer_selem_has_capture_switch(e);
}
// A boost is a preamplifier's steps, not a source of its own.
bool IsBoost(const ElementId& id) { return id.name.find("Boost") != std::string::npos; }

// The recording selector: "Input Source", else "Capture Source", else an enumerated
// element of the capture side only (a global one, like "Auto-Mute Mode", is no selector).
snd_mixer_elem_t* FindSelector(const std::vector<snd_mixer_elem_t*>& elements) {
  for (const char* name : {"Input Source", "Capture Source"}) {
    snd_mixer_elem_t* best = nullptr;
    for (snd_mixer_elem_t* e : elements) {
      if (IsEnumerated(e) && IdOf(e).name == name &&
          (!best || snd_mixer_selem_get_index(e) < snd_mixer_selem_get_index(best))) {
        best = e;
      }
    }
    if (best) return best;
  }
  for (snd_mixer_elem_t* e : elements) {
    if (IsEnumerated(e) && snd_mixer_selem_is_enum_capture(e) && !snd_mixer_selem_is_enum_playback(e)) {
      return e;
    }
  }
  return nullptr;
}

// A source's level: its own capture volume, else the shared "Capture" of its index.
std::optional<ElementId> VolumeOf(snd_mixer_t* mixer, const ElementId& own, unsigned index) {
  for (const ElementId& id : {own, ElementId{kSharedCapture, index}}) {
    snd_mixer_elem_t* e = FindElement(mixer, id);
    if (e && !IsEnumerated(e) && snd_mixer_selem_has_capture_volume(e)) return id;
  }
  return std::nullopt;
}

}  // namespace

std::string DisplayName(const ElementId& id) {
  return id.index == 0 ? id.name : id.name + "," + std::to_string(id.index);
}

ElementId IdOf(snd_mixer_elem_t* elem) {
  return {snd_mixer_selem_get_name(elem), snd_mixer_selem_get_index(elem)};
}

snd_mixer_elem_t* FindElement(snd_mixer_t* mixer, const ElementId& id) {
  snd_mixer_selem_id_t* sid = nullptr;
  snd_mixer_selem_id_alloca(&sid);
  snd_mixer_selem_id_set_name(sid, id.name.c_str());
  snd_mixer_selem_id_set_index(sid, id.index);
  return snd_mixer_find_selem(mixer, sid);
}

CardLayout ReadCardLayout(snd_mixer_t* mixer) {
  std::vector<snd_mixer_elem_t*> elements;
  for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer); e; e = snd_mixer_elem_next(e)) {
    if (snd_mixer_selem_is_active(e)) elements.push_back(e);
  }
  CardLayout layout;
  for (snd_mixer_elem_t* e : elements) {
    if (snd_mixer_selem_has_playback_volume(e) || snd_mixer_selem_has_playback_switch(e)) {
      layout.playback.push_back(IdOf(e));
    }
  }

  if (snd_mixer_elem_t* selector = FindSelector(elements)) {
    layout.choice = SourceChoice::kSelector;
    layout.selector = IdOf(selector);
    const int items = snd_mixer_selem_get_enum_items(selector);
    for (int i = 0; i < items; ++i) {
      char text[64] = {};
      if (snd_mixer_selem_get_enum_item_name(selector, static_cast<unsigned>(i), sizeof text, text) < 0) break;
      const unsigned index = layout.selector.index;
      layout.sources.push_back({text, layout.selector, i, VolumeOf(mixer, {text, index}, index)});
    }
    return layout;
  }

  // ALSA makes one exclusive capture switch per item of a "Capture Source" selector.
  snd_mixer_elem_t* first = nullptr;
  for (snd_mixer_elem_t* e : elements) {
    if (IsEnumerated(e) || !snd_mixer_selem_has_capture_switch_exclusive(e)) continue;
    if (!first) first = e;
    if (snd_mixer_selem_get_capture_group(e) != snd_mixer_selem_get_capture_group(first)) continue;
    const ElementId id = IdOf(e);
    layout.sources.push_back({DisplayName(id), id, -1, VolumeOf(mixer, id, id.index)});
  }
  if (first) {
    layout.choice = SourceChoice::kExclusiveSwitches;
    return layout;
  }

  // The inputs with a capture switch or volume of their own; the shared "Capture" is one
  // only when there is no other.
  std::vector<ElementId> inputs;
  for (snd_mixer_elem_t* e : elements) {
    if (!IsEnumerated(e) && HasCapture(e) && !IsBoost(IdOf(e))) inputs.push_back(IdOf(e));
  }
  if (inputs.size() > 1) {
    std::erase_if(inputs, [](const ElementId& id) { return id.name == kSharedCapture; });
  }
  layout.choice = SourceChoice::kSwitchEach;
  for (const ElementId& id : inputs) {
    layout.sources.push_back({DisplayName(id), id, -1, VolumeOf(mixer, id, id.index)});
  }
  return layout;
}

}  // namespace corvane
