#pragma once
// A fake of the winmm mixer functions: one sound card with a recording destination
// (a multiplexer over three sources, each with a volume) and a playback destination
// (a microphone line with a mute). Every call is checked for the record sizes and flags
// the 64-bit headers give, and logged.

#include <windows.h>
#include <mmsystem.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/winmm_mixer_device.h"

namespace corvane::testing {

inline constexpr DWORD kFakeMux = 1;
inline constexpr DWORD kFakeMicMute = 10;
inline constexpr DWORD kFakeLineVolume = 20;
inline constexpr DWORD kFakeMicVolume = 21;
inline constexpr DWORD kFakeCdVolume = 22;

struct FakeWinmmMixer {
  struct Line {
    DWORD id;
    const char* name;
    std::vector<std::pair<DWORD, DWORD>> controls;  // control type, control id
  };
  struct Destination {
    DWORD type;
    Line line;
    std::vector<Line> sources;
  };

  std::vector<std::string> deviceNames{"Fake Card", "Second Card"};
  int failingCapsDevice = -1;  // waveInGetDevCapsA fails for this id
  bool failOpen = false;
  std::vector<Destination> destinations{
      {MIXERLINE_COMPONENTTYPE_DST_WAVEIN,
       {0xFFFF0000, "Recording Control", {{MIXERCONTROL_CONTROLTYPE_MUX, kFakeMux}}},
       {{0x1000, "Line In", {{MIXERCONTROL_CONTROLTYPE_VOLUME, kFakeLineVolume}}},
        {0x1001, "Microphone", {{MIXERCONTROL_CONTROLTYPE_VOLUME, kFakeMicVolume}}},
        {0x1002, "CD Audio", {{MIXERCONTROL_CONTROLTYPE_VOLUME, kFakeCdVolume}}}}},
      {MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
       {0xFFFF0001, "Volume Control", {}},
       {{0x2000, "Microphone", {{MIXERCONTROL_CONTROLTYPE_MUTE, kFakeMicMute}}}}},
  };
  // The multiplexer's items: the line each stands for, in item order.
  std::vector<DWORD> muxLines{0x1002, 0x3000, 0x1001, 0x1000};
  std::map<DWORD, std::vector<DWORD>> values{{kFakeMux, {1, 0, 0, 1}},
                                             {kFakeMicMute, {0}},
                                             {kFakeLineVolume, {20000}},
                                             {kFakeMicVolume, {40000}},
                                             {kFakeCdVolume, {10000}}};
  std::vector<std::string> calls;
  std::vector<std::string> faults;  // a wrong size or flag, as text
  int openMixers = 0;

  static FakeWinmmMixer*& Current() {
    static FakeWinmmMixer* current = nullptr;
    return current;
  }
  FakeWinmmMixer() { Current() = this; }
  ~FakeWinmmMixer() { Current() = nullptr; }

  static MixerFunctions Functions();
};

}  // namespace corvane::testing
