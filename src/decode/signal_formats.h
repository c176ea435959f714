#pragma once
// The signal formats the receiver decodes: the one list that the decoder dispatch, the
// TX Type list, the tools' --mode and --format and the fuzz targets take their entries
// from. A format's mode is the receiver's Mode, the TX Type list's item index and the
// stored "InputMode".

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr std::int32_t kModePcm1024 = 0;
inline constexpr std::int32_t kModeSpcm = 1;  // and any other mode but kModePcm1024

struct SignalFormat {
  std::int32_t mode;
  std::string_view caption;  // as the TX Type list shows it
  std::string_view option;   // as the tools' command lines name it
};

inline constexpr std::array<SignalFormat, 2> kSignalFormats = {{
    {kModePcm1024, "PCM1024 (Futaba)", "pcm1024"},
    {kModeSpcm, "SPCM (JR)", "spcm"},
}};

// A format's place in the list is its mode.
static_assert(kSignalFormats[0].mode == 0 && kSignalFormats[1].mode == 1);

// The format a command line names, or nullptr.
constexpr const SignalFormat* FindSignalFormat(std::string_view option) {
  for (const SignalFormat& format : kSignalFormats) {
    if (format.option == option) return &format;
  }
  return nullptr;
}

// "pcm1024 or spcm": the names a command line may give, for its help and its errors.
inline std::string SignalFormatChoices() {
  std::string choices;
  for (std::size_t i = 0; i < kSignalFormats.size(); ++i) {
    if (i > 0) choices += i + 1 == kSignalFormats.size() ? " or " : ", ";
    choices += kSignalFormats[i].option;
  }
  return choices;
}

}  // namespace corvane
