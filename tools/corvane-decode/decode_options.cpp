#include "corvane-decode/decode_options.h"

#include <charconv>
#include <string_view>

#include "decode/signal_formats.h"

namespace corvane::tool {

bool ParseChannelMap(const std::string& text, ChannelMap& map, std::string& error) {
  error = "--map takes ten numbers separated by commas: channel indices 0-7 for the six axes "
          "and two buttons, then the two Advanced flags 0-255 (got '" + text + "')";
  std::string_view rest = text;
  for (std::size_t i = 0; i < map.size(); ++i) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (item.empty() || ec != std::errc() || end != item.data() + item.size()) return false;
    if (value > (i < 8 ? 7u : 255u)) return false;
    map[i] = static_cast<std::uint8_t>(value);
    const bool last = i + 1 == map.size();
    if (last != (comma == std::string_view::npos)) return false;
    if (!last) rest.remove_prefix(comma + 1);
  }
  error.clear();
  return true;
}

namespace {

constexpr double kMaxSeconds = 2000000;

// A positive number of seconds whose milliseconds fit a 32-bit timer interval.
bool ParseSeconds(const std::string& text, double& seconds) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return false;
  if (!(value > 0 && value <= kMaxSeconds)) return false;
  seconds = value;
  return true;
}

}  // namespace

bool ParseDecodeOptions(int argc, const char* const* argv, DecodeOptions& options, std::string& error,
                        bool& help) {
  help = false;
  bool havePath = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "-h" || arg == "--help") {
      help = true;
      return true;
    } else if (arg == "--mode") {
      if (!value(v)) return false;
      const SignalFormat* format = FindSignalFormat(v);
      if (format == nullptr) {
        error = "unknown mode '" + v + "' (" + SignalFormatChoices() + ")";
        return false;
      }
      options.mode = format->mode;
    } else if (arg == "--map") {
      if (!value(v) || !ParseChannelMap(v, options.map, error)) return false;
    } else if (arg == "--raw") {
      options.raw = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--joystick") {
      options.joystick = true;
    } else if (arg == "--capture") {
      options.capture = true;
    } else if (arg == "--wait") {
      options.wait = true;
    } else if (arg == "--seconds") {
      if (!value(v)) return false;
      if (!ParseSeconds(v, options.seconds)) {
        error = "--seconds takes a number of seconds above 0, at most 2000000 (got '" + v + "')";
        return false;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option '" + arg + "'";
      return false;
    } else if (havePath) {
      error = "only one FILE can be decoded (got '" + options.path + "' and '" + arg + "')";
      return false;
    } else {
      options.path = arg;
      havePath = true;
    }
  }
  if (options.capture) {
    if (havePath) {
      error = "--capture records the recording device: no FILE can be given (got '" + options.path + "')";
      return false;
    }
    if (options.raw) {
      error = "--raw describes a FILE: it does not go with --capture";
      return false;
    }
    return true;
  }
  if (options.wait || options.seconds > 0) {
    error = std::string(options.wait ? "--wait" : "--seconds") + " goes with --capture only";
    return false;
  }
  if (!havePath) {
    error = "no FILE given (use - for standard input, or --capture)";
    return false;
  }
  return true;
}

}  // namespace corvane::tool
