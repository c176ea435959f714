#pragma once
// How a card's simple mixer maps onto recording sources: which elements or selector
// items are the sources, what selects among them, which capture volume sets each one's
// level, and which elements are playback lines.

#include <alsa/asoundlib.h>

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// A simple mixer element by what stays the same while the card exists: its name and
// index, not its place in the element list.
struct ElementId {
  std::string name;
  unsigned index = 0;
  bool operator==(const ElementId&) const = default;
};

// "Mic", or "Mic,1" for index 1, as ALSA's tools write it.
std::string DisplayName(const ElementId& id);
ElementId IdOf(snd_mixer_elem_t* elem);
snd_mixer_elem_t* FindElement(snd_mixer_t* mixer, const ElementId& id);

// What chooses the recorded source.
enum class SourceChoice {
  kSelector,            // an enumerated capture selector: one item per source
  kExclusiveSwitches,   // one capture switch per source, of which only one is on
  kSwitchEach,          // each source its own capture switch (or only a capture volume)
};

struct RecordingSource {
  std::string name;
  ElementId element;  // the source's element; the selector for a selector item
  int item = -1;      // the selector item, -1 for an element
  std::optional<ElementId> volume;  // the capture volume that sets its level
};

struct CardLayout {
  SourceChoice choice = SourceChoice::kSwitchEach;
  ElementId selector;  // with kSelector
  std::vector<RecordingSource> sources;
  std::vector<ElementId> playback;  // elements with a playback volume or switch
};

// The layout of the active elements, in the mixer's element order.
CardLayout ReadCardLayout(snd_mixer_t* mixer);

}  // namespace corvane
