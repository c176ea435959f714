#include "corvane-siggen/siggen_options.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "decode/signal_formats.h"

namespace corvane::tool {

namespace {

bool ParseNumber(std::string_view text, double& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

bool ParseInt(std::string_view text, long long lo, long long hi, long long& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() && value >= lo && value <= hi;
}

// A comma-separated list of integers in lo … hi with `count` items (any count if 0).
bool ParseList(std::string_view text, std::size_t count, long long lo, long long hi, std::vector<long long>& out) {
  out.clear();
  for (;;) {
    const std::size_t comma = text.find(',');
    long long value = 0;
    if (!ParseInt(text.substr(0, comma), lo, hi, value)) return false;
    out.push_back(value);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return count == 0 || out.size() == count;
}

template <class T>
void CopyList(const std::vector<long long>& values, T& target) {
  for (std::size_t i = 0; i < values.size(); ++i) target[i] = static_cast<typename T::value_type>(values[i]);
}

}  // namespace

bool ParseSiggenOptions(int argc, const char* const* argv, SiggenOptions& o, std::string& error, bool& help) {
  help = false;
  bool havePath = false;
  std::vector<long long> list;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string v;
    auto value = [&]() {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      v = argv[++i];
      return true;
    };
    auto bad = [&](const char* what) {
      error = arg + " takes " + what + " (got '" + v + "')";
      return false;
    };
    double number = 0;
    long long integer = 0;
    if (arg == "-h" || arg == "--help") {
      help = true;
      return true;
    } else if (arg == "--format") {
      if (!value()) return false;
      const SignalFormat* format = FindSignalFormat(v);
      if (format == nullptr) return bad(SignalFormatChoices().c_str());
      o.mode = format->mode;
    } else if (arg == "--positions") {
      if (!value()) return false;
      if (!ParseList(v, 8, 0, 1023, list)) return bad("eight numbers 0-1023 separated by commas");
      CopyList(list, o.pcm1024.positions);
      CopyList(list, o.spcmSettings.positions);
      CopyList(list, o.ppm.positions);
    } else if (arg == "--sweep") {
      o.pcm1024.sweep = o.spcmSettings.sweep = o.ppm.sweep = true;
    } else if (arg == "--duration") {
      if (!value()) return false;
      if (!ParseNumber(v, number) || number < 0 || number > 43200) return bad("a number of seconds 0-43200");
      o.durationSeconds = number;
    } else if (arg == "--raw") {
      o.raw = true;
    } else if (arg == "--kind") {
      if (!value()) return false;
      if (v == "10") o.pcm1024.kind = 0b10;
      else if (v == "00") o.pcm1024.kind = 0b00;
      else if (v == "01") o.pcm1024.kind = 0b01;
      else if (v == "11") o.pcm1024.kind = 0b11;
      else return bad("10, 00, 01 or 11");
    } else if (arg == "--second-values") {
      if (!value()) return false;
      if (!ParseList(v, 8, 0, 1023, list)) return bad("eight numbers 0-1023 separated by commas");
      CopyList(list, o.pcm1024.secondValues);
    } else if (arg == "--flags") {
      if (!value()) return false;
      if (!ParseList(v, 8, 0, 1, list)) return bad("eight bits 0/1 separated by commas");
      CopyList(list, o.pcm1024.flags);
    } else if (arg == "--aux8" || arg == "--aux9") {
      if (!value()) return false;
      if (!ParseInt(v, 0, 1, integer)) return bad("0 or 1");
      (arg == "--aux8" ? o.pcm1024.aux8 : o.pcm1024.aux9) = static_cast<std::uint8_t>(integer);
    } else if (arg == "--syncs") {
      if (!value()) return false;
      if (!ParseList(v, 0, 0, 6, list)) return bad("frame phases 0, 2, 4 or 6 separated by commas");
      o.pcm1024.syncPhases.clear();
      for (long long phase : list) {
        if (phase % 2 != 0) return bad("frame phases 0, 2, 4 or 6 separated by commas");
        o.pcm1024.syncPhases.push_back(static_cast<int>(phase));
      }
    } else if (arg == "--pause") {
      if (!value()) return false;
      if (!ParseInt(v, 22, 48000000, integer)) return bad("a number of samples 22-48000000");
      o.spcmSettings.pauseSamples = static_cast<std::int32_t>(integer);
    } else if (arg == "--channels") {
      if (!value()) return false;
      if (!ParseInt(v, 4, 16, integer)) return bad("a number of channels 4-16");
      o.ppm.channels = static_cast<int>(integer);
    } else if (arg == "--period") {
      if (!value()) return false;
      if (!ParseNumber(v, number) || number < 10000 || number > 100000)
        return bad("microseconds 10000-100000");
      o.ppm.framePeriodUs = number;
    } else if (arg == "--separator") {
      if (!value()) return false;
      if (!ParseNumber(v, number) || number < 100 || number > 600) return bad("microseconds 100-600");
      o.ppm.separatorUs = number;
    } else if (arg == "--amplitude") {
      if (!value()) return false;
      if (!ParseNumber(v, number) || number < 0 || number > 32767) return bad("a level 0-32767");
      o.impairments.amplitude = number;
    } else if (arg == "--dc") {
      if (!value()) return false;
      if (!ParseNumber(v, number) || std::abs(number) > 32768) return bad("a level -32768-32768");
      o.impairments.dcOffset = number;
    } else if (arg == "--hum") {
      if (!value()) return false;
      if (!ParseNumber(v, number) || number < 0 || number > 32767) return bad("a level 0-32767");
      o.impairments.humAmplitude = number;
    } else if (arg == "--highpass" || arg == "--lowpass") {
      if (!value()) return false;
      if (!ParseNumber(v, number) || number <= 0 || number >= 24000) return bad("a frequency in Hz below 24000");
      (arg == "--highpass" ? o.impairments.highPassHz : o.impairments.lowPassHz) = number;
    } else if (arg == "--snr") {
      if (!value()) return false;
      if (!ParseNumber(v, number) || std::abs(number) > 200) return bad("a ratio in dB");
      o.impairments.snrDb = number;
    } else if (arg == "--seed") {
      if (!value()) return false;
      if (!ParseInt(v, 0, 0x7FFFFFFFFFFFFFFF, integer)) return bad("a non-negative number");
      o.impairments.seed = static_cast<std::uint64_t>(integer);
    } else if (arg == "--drift") {
      if (!value()) return false;
      if (!ParseNumber(v, number) || std::abs(number) > 100000) return bad("parts per million, -100000-100000");
      o.impairments.driftPpm = number;
    } else if (arg == "--invert") {
      o.impairments.inverted = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option '" + arg + "'";
      return false;
    } else if (havePath) {
      error = "only one OUTPUT can be written (got '" + o.path + "' and '" + arg + "')";
      return false;
    } else {
      o.path = arg;
      havePath = true;
    }
  }
  if (!havePath) {
    error = "no OUTPUT given (use - for standard output)";
    return false;
  }
  return true;
}

}  // namespace corvane::tool
