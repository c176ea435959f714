#include "fake_winmm_mixer.h"

#include <cstdio>
#include <cstring>

namespace corvane::testing {

namespace {

// The one mixer handle the fake hands out.
const HMIXER kHandle = reinterpret_cast<HMIXER>(static_cast<ULONG_PTR>(0x5A5A0000));

FakeWinmmMixer& Fake() { return *FakeWinmmMixer::Current(); }

void Expect(bool ok, const std::string& fault) {
  if (!ok) Fake().faults.push_back(fault);
}

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(value));
  return text;
}

void CheckHandle(HMIXEROBJ mixer, DWORD flags, DWORD query, const char* call) {
  Expect(reinterpret_cast<HMIXER>(mixer) == kHandle, std::string(call) + ": not the open mixer");
  Expect(flags == (MIXER_OBJECTF_HMIXER | query), std::string(call) + ": flags " + Hex(flags));
}

void CopyName(char (&to)[MIXER_LONG_NAME_CHARS], const char* name) {
  std::strncpy(to, name, MIXER_LONG_NAME_CHARS - 1);
}

void FillLine(MIXERLINEA& line, DWORD destination, const FakeWinmmMixer::Line& from, DWORD connections) {
  line.dwDestination = destination;
  line.dwLineID = from.id;
  line.cConnections = connections;
  CopyName(line.szName, from.name);
  std::strncpy(line.szShortName, "short", MIXER_SHORT_NAME_CHARS - 1);
}

const FakeWinmmMixer::Line* FindLine(DWORD id) {
  for (const auto& destination : Fake().destinations) {
    if (destination.line.id == id) return &destination.line;
    for (const auto& source : destination.sources) {
      if (source.id == id) return &source;
    }
  }
  return nullptr;
}

UINT WINAPI GetNumDevs() { return static_cast<UINT>(Fake().deviceNames.size()); }

MMRESULT WINAPI GetDevCaps(UINT_PTR id, LPWAVEINCAPSA caps, UINT size) {
  Expect(size == sizeof(WAVEINCAPSA), "waveInGetDevCapsA: size " + std::to_string(size));
  if (static_cast<int>(id) == Fake().failingCapsDevice || id >= Fake().deviceNames.size()) {
    return MMSYSERR_BADDEVICEID;
  }
  std::strncpy(caps->szPname, Fake().deviceNames[id].c_str(), MAXPNAMELEN - 1);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Open(LPHMIXER mixer, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
  Fake().calls.push_back("open " + std::to_string(id));
  Expect(callback == 0 && instance == 0 && flags == MIXER_OBJECTF_WAVEIN, "mixerOpen: flags " + Hex(flags));
  if (Fake().failOpen || id != 0) return MMSYSERR_BADDEVICEID;
  *mixer = kHandle;
  ++Fake().openMixers;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI Close(HMIXER mixer) {
  Fake().calls.push_back("close");
  Expect(mixer == kHandle, "mixerClose: not the open mixer");
  --Fake().openMixers;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI GetLineInfo(HMIXEROBJ mixer, LPMIXERLINEA line, DWORD flags) {
  Expect(line->cbStruct == sizeof(MIXERLINEA), "mixerGetLineInfoA: cbStruct " + std::to_string(line->cbStruct));
  const DWORD query = flags & ~MIXER_OBJECTF_HMIXER;
  CheckHandle(mixer, flags, query, "mixerGetLineInfoA");
  auto& destinations = Fake().destinations;
  if (query == MIXER_GETLINEINFOF_COMPONENTTYPE) {
    Fake().calls.push_back("destination " + std::to_string(line->dwComponentType));
    for (DWORD d = 0; d < destinations.size(); ++d) {
      if (destinations[d].type != line->dwComponentType) continue;
      FillLine(*line, d, destinations[d].line, static_cast<DWORD>(destinations[d].sources.size()));
      return MMSYSERR_NOERROR;
    }
    return MIXERR_INVALLINE;
  }
  Fake().calls.push_back("source " + std::to_string(line->dwDestination) + "." + std::to_string(line->dwSource));
  Expect(query == MIXER_GETLINEINFOF_SOURCE, "mixerGetLineInfoA: query " + Hex(query));
  if (line->dwDestination >= destinations.size() ||
      line->dwSource >= destinations[line->dwDestination].sources.size()) {
    return MIXERR_INVALLINE;
  }
  FillLine(*line, line->dwDestination, destinations[line->dwDestination].sources[line->dwSource], 0);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI GetLineControls(HMIXEROBJ mixer, LPMIXERLINECONTROLSA controls, DWORD flags) {
  CheckHandle(mixer, flags, MIXER_GETLINECONTROLSF_ONEBYTYPE, "mixerGetLineControlsA");
  Expect(controls->cbStruct == sizeof(MIXERLINECONTROLSA) && controls->cControls == 1 &&
             controls->cbmxctrl == sizeof(MIXERCONTROLA) && controls->pamxctrl != nullptr,
         "mixerGetLineControlsA: record sizes");
  Fake().calls.push_back("control " + Hex(controls->dwLineID) + " " + Hex(controls->dwControlType));
  const FakeWinmmMixer::Line* line = FindLine(controls->dwLineID);
  if (line == nullptr) return MIXERR_INVALLINE;
  for (const auto& [type, id] : line->controls) {
    if (type != controls->dwControlType) continue;
    controls->pamxctrl->dwControlID = id;
    controls->pamxctrl->cMultipleItems = id == kFakeMux ? static_cast<DWORD>(Fake().muxLines.size()) : 0;
    return MMSYSERR_NOERROR;
  }
  return MIXERR_INVALCONTROL;
}

// Checks a details record; the control's values when it is one of the fake's.
std::vector<DWORD>* Values(LPMIXERCONTROLDETAILS details, const char* call) {
  Expect(details->cbStruct == sizeof(MIXERCONTROLDETAILS) && details->cChannels == 1,
         std::string(call) + ": record");
  const auto found = Fake().values.find(details->dwControlID);
  if (found == Fake().values.end()) return nullptr;
  const DWORD items = details->cMultipleItems == 0 ? 1 : details->cMultipleItems;
  Expect(items == found->second.size(), std::string(call) + ": item count " + std::to_string(items));
  return &found->second;
}

MMRESULT WINAPI GetDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags) {
  const DWORD query = flags & ~MIXER_OBJECTF_HMIXER;
  CheckHandle(mixer, flags, query, "mixerGetControlDetailsA");
  if (query == MIXER_GETCONTROLDETAILSF_LISTTEXT) {
    Fake().calls.push_back("texts " + std::to_string(details->dwControlID));
    Expect(details->cbDetails == sizeof(MIXERCONTROLDETAILS_LISTTEXTA), "list texts: cbDetails");
    if (details->dwControlID != kFakeMux || details->cMultipleItems != Fake().muxLines.size()) {
      return MIXERR_INVALCONTROL;
    }
    auto* texts = static_cast<MIXERCONTROLDETAILS_LISTTEXTA*>(details->paDetails);
    for (std::size_t i = 0; i < Fake().muxLines.size(); ++i) {
      texts[i].dwParam1 = Fake().muxLines[i];
      std::strncpy(texts[i].szName, "item", MIXER_LONG_NAME_CHARS - 1);
    }
    return MMSYSERR_NOERROR;
  }
  Fake().calls.push_back("get " + std::to_string(details->dwControlID));
  Expect(query == MIXER_GETCONTROLDETAILSF_VALUE && details->cbDetails == 4, "get: query or cbDetails");
  std::vector<DWORD>* values = Values(details, "get");
  if (values == nullptr) return MIXERR_INVALCONTROL;
  std::memcpy(details->paDetails, values->data(), values->size() * 4);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI SetDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags) {
  CheckHandle(mixer, flags, MIXER_SETCONTROLDETAILSF_VALUE, "mixerSetControlDetails");
  Expect(details->cbDetails == 4, "set: cbDetails");
  std::vector<DWORD>* values = Values(details, "set");
  std::string call = "set " + std::to_string(details->dwControlID);
  if (values == nullptr) return MIXERR_INVALCONTROL;
  std::memcpy(values->data(), details->paDetails, values->size() * 4);
  for (DWORD value : *values) call += " " + std::to_string(value);
  Fake().calls.push_back(call);
  return MMSYSERR_NOERROR;
}

}  // namespace

MixerFunctions FakeWinmmMixer::Functions() {
  return {&GetNumDevs, &GetDevCaps, &Open, &Close, &GetLineInfo, &GetLineControls, &GetDetails, &SetDetails};
}

}  // namespace corvane::testing
