#pragma once
// The command line of corvane-decode.

#include <cstdint>
#include <string>

#include "decode/signal_formats.h"
#include "joystick/joystick_report.h"

namespace corvane::tool {

struct DecodeOptions {
  std::int32_t mode = kModePcm1024;  // a mode of kSignalFormats
  ChannelMap map = kDefaultChannelMap;
  bool raw = false;   // headerless s16le instead of WAV
  bool json = false;  // one JSON object per decoded buffer
  bool stats = false;  // a health report of the input after decoding
  bool joystick = false;  // also send each report to the virtual joystick
  bool capture = false;   // record the default recording device instead of reading a file
  bool wait = false;      // with capture: keep trying while there is no recording device
  double seconds = 0;     // with capture: stop after this many seconds; 0 = at a signal only
  bool listPorts = false;  // list the recording devices and their ports, then end
  std::int32_t device = -1;  // with capture: the device whose mixer chooses the source; -1 = none
  std::string port;          // with device: a port index or name
  std::int32_t volume = -1;  // with device: the source's level 0 … 65535; -1 = as the mixer has it
  std::string path;   // "-" = standard input
};

inline constexpr const char* kDecodeUsage =
    "usage: corvane-decode [--mode pcm1024|spcm|ppm] [--map B0,...,B9] [--json] [--stats] [--joystick] "
    "[--raw] FILE\n"
    "       corvane-decode --capture [--device N --port P [--volume V]] [--wait] [--seconds N]\n"
    "                      [--mode ...] [--map ...] [--json] [--stats] [--joystick]\n"
    "       corvane-decode --list-ports [--json]\n"
    "  FILE      16-bit mono 48000 Hz PCM WAV, or headerless s16le with --raw; - reads standard input\n"
    "  --mode    decoder: pcm1024 (default), spcm or ppm\n"
    "  --map     channel map: axes 1-6 and buttons 1-2 (channel index 0-7), then the two\n"
    "            Advanced flags (0-255); default 0,1,2,3,4,5,6,7,0,0\n"
    "  --raw     the input has no WAV header\n"
    "  --json    one JSON object per buffer with a decoded frame\n"
    "  --stats   after decoding, the health of the whole input: level, clipping, runs, and the\n"
    "            sync words and frames of every format (the others read by shadow decoders\n"
    "            that change nothing), then a verdict with what to change: clipping,\n"
    "            no-signal, wrong-mode, noisy, ok or unknown; with --json as one last line;\n"
    "            with --capture also a short line on stderr every 2 s\n"
    "  --joystick  also send every printed report to the virtual joystick (/dev/uinput);\n"
    "            when it cannot be used, one line on stderr says why and decoding goes on\n"
    "  --capture   record ALSA's default recording device (16-bit mono 48000 Hz) instead of\n"
    "            a file; runs until SIGINT (Ctrl-C) or SIGTERM, or --seconds\n"
    "  --wait    with --capture: while there is no recording device, try again every 1.5 s;\n"
    "            without --wait a missing device ends the program with status 1\n"
    "  --seconds N  with --capture: stop after N seconds\n"
    "  --device N --port P  with --capture: before recording, make port P (an index or a name)\n"
    "            of recording device N the recorded source, as the Input page does: its level,\n"
    "            its playback namesake muted; at the end the mixer gets its values back\n"
    "  --volume V  with --device: the source's level, 0-65535 (default: as the mixer has it)\n"
    "  --list-ports  list the recording devices and their ports (with --json: one object\n"
    "            per device)\n"
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
