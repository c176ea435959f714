// corvane-siggen: writes a test signal of any format, with impairments, as a 16-bit
// mono 48000 Hz WAV file or as raw s16le.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "corvane-siggen/siggen_options.h"
#include "platform/little_endian.h"
#include "siggen/signal_generator.h"
#include "wav/binary_stream.h"
#include "version/version_option.h"
#include "wav/wav_writer.h"

namespace {

// The generator of the format chosen.
corvane::siggen::SignalGenerator MakeGenerator(const corvane::tool::SiggenOptions& options) {
  using corvane::siggen::SignalGenerator;
  switch (options.mode) {
    case corvane::kModeSpcm:
      return SignalGenerator(options.spcmSettings, options.impairments);
    case corvane::kModePpm:
      return SignalGenerator(options.ppm, options.impairments);
    default:
      return SignalGenerator(options.pcm1024, options.impairments);
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace corvane;
  using namespace corvane::tool;

  if (PrintVersionIfAsked("corvane-siggen", argc, argv)) return 0;
  SiggenOptions options;
  std::string error;
  bool help = false;
  if (!ParseSiggenOptions(argc, argv, options, error, help)) {
    std::fprintf(stderr, "corvane-siggen: %s (see --help)\n", error.c_str());
    return 2;
  }
  if (help) {
    std::fputs(kSiggenUsage, stdout);
    return 0;
  }

  const bool toStdout = options.path == "-";
  if (toStdout) wav::UseBinaryMode(stdout);
  std::FILE* out = toStdout ? stdout : std::fopen(options.path.c_str(), "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "corvane-siggen: %s: cannot create: %s\n", options.path.c_str(), std::strerror(errno));
    return 1;
  }
  // At most 12 hours: the byte count stays within a WAV header's 32 bits.
  const auto samples = static_cast<std::uint64_t>(std::llround(options.durationSeconds * 48000.0));
  if (!options.raw) {
    const auto header = wav::WavHeader(static_cast<std::uint32_t>(samples * 2));
    std::fwrite(header.data(), 1, header.size(), out);
  }
  siggen::SignalGenerator generator = MakeGenerator(options);
  std::int16_t block[4800];
  std::uint8_t bytes[2 * 4800];
  for (std::uint64_t done = 0; done < samples;) {
    const std::size_t n = static_cast<std::size_t>(samples - done < 4800 ? samples - done : 4800);
    generator.Generate(block, n);
    for (std::size_t i = 0; i < n; ++i) {
      PutLe16(&bytes[2 * i], static_cast<std::uint16_t>(block[i]));
    }
    if (std::fwrite(bytes, 2, n, out) != n) break;
    done += n;
  }
  const bool failed = std::fflush(out) != 0 || std::ferror(out) != 0;
  const int saved = errno;
  if (!toStdout && std::fclose(out) != 0 && !failed) {
    std::fprintf(stderr, "corvane-siggen: %s: cannot write: %s\n", options.path.c_str(), std::strerror(errno));
    return 1;
  }
  if (failed) {
    std::fprintf(stderr, "corvane-siggen: %s: cannot write: %s\n", options.path.c_str(), std::strerror(saved));
    return 1;
  }
  return 0;
}
