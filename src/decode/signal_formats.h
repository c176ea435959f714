#pragma once
// The signal formats the receiver decodes: the one list that the decoder dispatch, the
// TX Type list, the tools' --mode, --format and --stats and the fuzz targets take their
// entries from. A format's mode is the receiver's Mode; for the formats the tray program
// offers it is also the TX Type list's item index and the stored "InputMode".

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr std::int32_t kModePcm1024 = 0;
inline constexpr std::int32_t kModeSpcm = 1;  // and any mode that names no format
inline constexpr std::int32_t kModePpm = 2;   // set by the tools only

// What a format's decoder reads.
enum class SignalInput : std::uint8_t {
  kRuns,     // the slicer's runs of equal level
  kSamples,  // the samples themselves
};

struct SignalFormat {
  std::int32_t mode;
  std::string_view caption;  // as the TX Type list shows it
  std::string_view option;   // as the tools' command lines name it
  std::string_view name;     // as a sentence names the signal: "The signal is PCM1024"
  SignalInput input;
  bool offeredByTray;  // shown in the tray program's TX Type list
  // All texts are string literals, so their data() is a zero-terminated text.
};

inline constexpr std::array<SignalFormat, 3> kSignalFormats = {{
    {kModePcm1024, "PCM1024 (Futaba)", "pcm1024", "PCM1024", SignalInput::kRuns, true},
    {kModeSpcm, "SPCM (JR)", "spcm", "SPCM", SignalInput::kRuns, true},
    {kModePpm, "PPM", "ppm", "PPM", SignalInput::kSamples, false},
}};

// A format's place in the list is its mode.
consteval bool PlacesAreModes() {
  for (std::size_t i = 0; i < kSignalFormats.size(); ++i) {
    if (kSignalFormats[i].mode != static_cast<std::int32_t>(i)) return false;
  }
  return true;
}
static_assert(PlacesAreModes());

// The format that decodes in `mode`: the one of that mode, SPCM for any other value (a
// stored mode other than 0 has always meant SPCM).
constexpr const SignalFormat& FormatOfMode(std::int32_t mode) {
  for (const SignalFormat& format : kSignalFormats) {
    if (format.mode == mode) return format;
  }
  return kSignalFormats[kModeSpcm];
}

// The formats the tray program offers, in the order of kSignalFormats. They must come
// first, so that a TX Type item's index is its format's mode.
consteval std::size_t TrayFormatCount() {
  std::size_t count = 0;
  while (count < kSignalFormats.size() && kSignalFormats[count].offeredByTray) ++count;
  for (std::size_t i = count; i < kSignalFormats.size(); ++i) {
    if (kSignalFormats[i].offeredByTray) throw "the tray program's formats come first in kSignalFormats";
  }
  return count;
}

// The TX Type list's items: both windows fill it from here.
constexpr std::span<const SignalFormat> TrayFormats() {
  return std::span<const SignalFormat>(kSignalFormats.data(), TrayFormatCount());
}

// The format a command line names, or nullptr.
constexpr const SignalFormat* FindSignalFormat(std::string_view option) {
  for (const SignalFormat& format : kSignalFormats) {
    if (format.option == option) return &format;
  }
  return nullptr;
}

// "pcm1024, spcm or ppm": the names a command line may give, for its help and its errors.
inline std::string SignalFormatChoices() {
  std::string choices;
  for (std::size_t i = 0; i < kSignalFormats.size(); ++i) {
    if (i > 0) choices += i + 1 == kSignalFormats.size() ? " or " : ", ";
    choices += kSignalFormats[i].option;
  }
  return choices;
}

}  // namespace corvane
