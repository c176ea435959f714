#pragma once
// The command line of corvane-siggen.

#include <cstdint>
#include <string>

#include "decode/signal_formats.h"

#include "siggen/impairments.h"
#include "siggen/pcm1024_signal.h"
#include "siggen/ppm_signal.h"
#include "siggen/spcm_signal.h"

namespace corvane::tool {

struct SiggenOptions {
  std::int32_t mode = kModePcm1024;  // the format, a mode of kSignalFormats
  siggen::Pcm1024Settings pcm1024;
  siggen::SpcmSettings spcmSettings;
  siggen::PpmSettings ppm;
  siggen::Impairments impairments;
  double durationSeconds = 2.0;
  bool raw = false;
  std::string path;  // "-" = standard output
};

inline constexpr const char* kSiggenUsage =
    "usage: corvane-siggen [options] OUTPUT\n"
    "  OUTPUT               16-bit mono 48000 Hz WAV file to write; - writes standard output\n"
    "  --format F           pcm1024 (default), spcm or ppm\n"
    "  --positions LIST     eight positions 0-1023 for Ch.1 ... Ch.8 (default all 512;\n"
    "                       PPM sends position p as 1000 + p * 1000 / 1023 microseconds)\n"
    "  --sweep              move every channel slowly over its travel instead\n"
    "  --duration SECONDS   length of the signal (default 2, at most 43200)\n"
    "  --raw                headerless s16le instead of WAV\n"
    "  --version            print the version and exit\n"
    "PCM1024:\n"
    "  --kind K             flag bits of each frame's first packet: 10 (positions, default),\n"
    "                       00 (second value, position), 01 (position, second value), 11 (none)\n"
    "  --second-values LIST eight second values 0-1023, sent by kinds 00 and 01\n"
    "  --flags LIST         eight per-channel flag bits 0/1, sent by kinds 00 and 01\n"
    "  --aux8 B, --aux9 B   auxiliary bits 0/1\n"
    "  --syncs LIST         frame phases of the sync words sent in turn: 4 and 6 as\n"
    "                       received, 0 and 2 inverted (default 4,6,0,2)\n"
    "SPCM:\n"
    "  --pause SAMPLES      flat time between frames (default 80, at least 22)\n"
    "PPM:\n"
    "  --channels N         channels per frame, 4-16 (default 8; Ch.9 and up at the centre)\n"
    "  --period US          frame period in microseconds, 10000-100000 (default 22500;\n"
    "                       longer when the channels leave less than 3000 for the gap)\n"
    "  --separator US       separator pulse width in microseconds, 100-600 (default 400)\n"
    "                       --invert sends low pulses on a high level; --lowpass shapes\n"
    "                       each edge before a converter's band limit at 0.45 * 48000 Hz\n"
    "Impairments:\n"
    "  --amplitude A        peak level 0-32767 (default 10000)\n"
    "  --dc D               DC offset\n"
    "  --hum A              50 Hz mains hum of peak level A\n"
    "  --highpass HZ        AC coupling: first-order high-pass at HZ\n"
    "  --lowpass HZ         first-order low-pass at HZ\n"
    "  --snr DB             white noise, DB below the clean signal's power\n"
    "  --seed N             noise seed (default 1)\n"
    "  --drift PPM          clock drift: positive makes the signal slower\n"
    "  --invert             inverted polarity\n";

bool ParseSiggenOptions(int argc, const char* const* argv, SiggenOptions& options, std::string& error,
                        bool& help);

}  // namespace corvane::tool
