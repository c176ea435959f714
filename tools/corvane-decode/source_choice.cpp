#include "corvane-decode/source_choice.h"

#include <algorithm>
#include <vector>

#include "audio/mixer.h"
#include "corvane-decode/json_string.h"

namespace corvane::tool {

namespace {

std::string Numbered(const std::vector<std::string>& names, bool quoted) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(i) + " " + (quoted ? "\"" + names[i] + "\"" : names[i]);
  }
  return text;
}

// The index of port `wanted`, given as a number or a name.
bool FindPort(const std::vector<std::string>& ports, const std::string& wanted, std::int32_t& port) {
  if (std::all_of(wanted.begin(), wanted.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const unsigned long index = wanted.size() < 10 ? std::stoul(wanted) : ports.size();
    if (index >= ports.size()) return false;
    port = static_cast<std::int32_t>(index);
    return true;
  }
  const auto found = std::find(ports.begin(), ports.end(), wanted);
  if (found == ports.end()) return false;
  port = static_cast<std::int32_t>(found - ports.begin());
  return true;
}

}  // namespace

void PrintPorts(MixerDevice& mixer, const MixerChoice& choice, bool json, std::FILE* out) {
  if (json) {
    std::fprintf(out, "{\"mixer\": %s, \"sound_server\": %s}\n", JsonString(choice.name).c_str(),
                 choice.soundServer ? "true" : "false");
  } else {
    std::fprintf(out, "mixer: %s (%s)\n", choice.soundServer ? "the sound server's" : "the sound cards' own",
                 choice.name.c_str());
  }
  std::vector<std::string> devices;
  ListInputDevices(mixer, devices);  // a device that cannot be read ends the list, as on the page
  if (devices.empty() && !json) std::fputs("no recording devices\n", out);
  for (std::size_t d = 0; d < devices.size(); ++d) {
    std::vector<std::string> ports;
    ListInputPorts(mixer, static_cast<std::int32_t>(d), ports);
    if (json) {
      std::string line = "{\"device\": " + std::to_string(d) + ", \"name\": " + JsonString(devices[d]) +
                         ", \"ports\": [";
      for (std::size_t p = 0; p < ports.size(); ++p) line += (p > 0 ? ", " : "") + JsonString(ports[p]);
      std::fprintf(out, "%s]}\n", line.c_str());
      continue;
    }
    std::fprintf(out, "device %zu: %s\n", d, devices[d].c_str());
    if (ports.empty()) std::fputs("  no ports\n", out);
    for (std::size_t p = 0; p < ports.size(); ++p) std::fprintf(out, "  port %zu: %s\n", p, ports[p].c_str());
  }
}

bool ChooseSource(MixerDevice& mixer, TInputControl& receiver, const DecodeOptions& options,
                  std::string& error) {
  std::vector<std::string> devices;
  ListInputDevices(mixer, devices);
  if (options.device < 0 || static_cast<std::size_t>(options.device) >= devices.size()) {
    error = "there is no recording device " + std::to_string(options.device) + "; " +
            (devices.empty() ? "there are none" : "the recording devices: " + Numbered(devices, true));
    return false;
  }
  const std::string device = std::to_string(options.device) + " \"" +
                             devices[static_cast<std::size_t>(options.device)] + "\"";
  std::vector<std::string> ports;
  ListInputPorts(mixer, options.device, ports);
  std::int32_t port = -1;
  if (ports.empty()) {
    error = "recording device " + device + " has no ports to choose from";
    return false;
  }
  if (!FindPort(ports, options.port, port)) {
    error = "recording device " + device + " has no port '" + options.port + "'; its ports: " +
            Numbered(ports, false);
    return false;
  }
  SelectSource(receiver, mixer, options.device, port);
  // As the slider takes it: a missing volume puts it at 0.
  const std::int32_t level =
      options.volume >= 0 ? options.volume : std::clamp(ReadVolume(receiver, mixer), 0, 65535);
  ApplyMixer(receiver, mixer, level);
  std::fprintf(stderr, "corvane-decode: recording port %d \"%s\" of device %s at level %d\n", port,
               ports[static_cast<std::size_t>(port)].c_str(), device.c_str(), level);
  return true;
}

}  // namespace corvane::tool
