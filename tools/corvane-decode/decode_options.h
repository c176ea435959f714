#pragma once
// The command line of corvane-decode.

#include <cstdint>
#include <string>

#include "joystick/joystick_report.h"

namespace corvane::tool {

struct DecodeOptions {
  std::int32_t mode = 0;  // 0 = PCM1024, 1 = SPCM
  ChannelMap map = kDefaultChannelMap;
  bool raw = false;   // headerless s16le instead of WAV
  bool json = false;  // one JSON object per decoded buffer
  bool joystick = false;  // also send each report to the virtual joystick
  bool capture = false;   // record the default recording device instead of reading a file
  bool wait = false;      // with capture: keep trying while there is no recording device
  double seconds = 0;     // with capture: stop after this many seconds; 0 = at a signal only
  std::string path;   // "-" = standard input
};

inline constexpr const char* kDecodeUsage =
    "usage: corvane-decode [--mode pcm1024|spcm] [--map B0,...,B9] [--json] [--joystick] [--raw] FILE\n"
    "       corvane-decode --capture [--wait] [--seconds N] [--mode ...] [--map ...] [--json] [--joystick]\n"
    "  FILE      16-bit mono 48000 Hz PCM WAV, or headerless s16le with --raw; - reads standard input\n"
    "  --mode    decoder: pcm1024 (default) or spcm\n"
    "  --map     channel map: axes 1-6 and buttons 1-2 (channel index 0-7), then the two\n"
    "            Advanced flags (0-255); default 0,1,2,3,4,5,6,7,0,0\n"
    "  --raw     the input has no WAV header\n"
    "  --json    one JSON object per buffer with a decoded frame\n"
    "  --joystick  also send every printed report to the virtual joystick (/dev/uinput);\n"
    "            when it cannot be used, one line on stderr says why and decoding goes on\n"
    "  --capture   record ALSA's default recording device (16-bit mono 48000 Hz) instead of\n"
    "            a file; runs until SIGINT (Ctrl-C) or SIGTERM, or --seconds\n"
    "  --wait    with --capture: while there is no recording device, try again every 1.5 s;\n"
    "            without --wait a missing device ends the program with status 1\n"
    "  --seconds N  with --capture: stop after N seconds\n"
    "  --version print the version and exit\n"
    "SIGINT or SIGTERM ends decoding in order: the summary is printed, the joystick removed,\n"
    "and the status is 0. CORVANE_UINPUT_PATH, for testing, replaces /dev/uinput.\n";

// Fills `options` from the arguments; on a mistake returns false with `error` set.
// `help` is set for -h/--help.
bool ParseDecodeOptions(int argc, const char* const* argv, DecodeOptions& options, std::string& error,
                        bool& help);

// Parses "B0,...,B9": ten numbers, bytes 0 … 7 in 0 … 7, bytes 8 and 9 in 0 … 255.
bool ParseChannelMap(const std::string& text, ChannelMap& map, std::string& error);

}  // namespace corvane::tool
