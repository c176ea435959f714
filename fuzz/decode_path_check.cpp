// Arbitrary bytes as samples, cut into buffers of arbitrary sizes, with the mode switched
// through every format of kSignalFormats at arbitrary points. Whatever arrives, the channel table and the decoders' counters stay
// in range, and the stream handed over whole, one sample at a time or in uneven pieces
// decodes a frame in the same buffers, leaves the same table after every buffer and ends
// in the same state.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "decode/input_control.h"
#include "decode/signal_formats.h"
#include "decode/signal_path.h"
#include "fuzz_checks.h"

namespace corvane::fuzz {

namespace {

const char* CheckTable(const ChannelTable& t) {
  for (int i = 0; i < 8; ++i) {
    if (t.positions[i] < 0 || t.positions[i] > 1023 || t.secondValues[i] < 0 || t.secondValues[i] > 1023) {
      return "channel values are 0 ... 1023";
    }
    if (t.flags[i] != 0 && t.flags[i] != 1) return "flags are 0 or 1";
  }
  for (int i = 8; i < 10; ++i) {
    if (t.positions[i] != 0 && t.positions[i] != 1 && t.positions[i] != kCentre) {
      return "auxiliary slots hold 0, 1 or 512";
    }
    if (t.secondValues[i] != kCentre || t.flags[i] != 0) return "auxiliary slots keep their second value and flag";
  }
  return nullptr;
}

const char* CheckCounters(const SignalPath& p) {
  if (p.pcm1024.framePhase < 0 || p.pcm1024.framePhase > 8 || p.pcm1024.symbolIndex < 0 ||
      p.pcm1024.symbolIndex > 7) {
    return "the PCM1024 frame phase is 0 ... 8 and its symbol index 0 ... 7";
  }
  if (p.spcm.symbolCount < 0 || p.spcm.symbolCount > SpcmDecoder::kSymbolsPerFrame ||
      p.spcm.bitCount < -1 || p.spcm.bitCount > 8 * SpcmDecoder::kSymbolsPerFrame) {
    return "the SPCM symbol and cell counts stay within a frame";
  }
  const PpmFrames& f = p.ppm.frames;
  if (f.leadEdges < 0 || f.leadEdges > PpmFrames::kMaxChannels + 1 || f.trailEdges < 0 ||
      f.trailEdges > f.leadEdges || f.channels < 0 || f.channels > PpmFrames::kMaxChannels) {
    return "the PPM edge and channel counts stay within a frame";
  }
  if (!std::isfinite(p.ppm.swing) || !std::isfinite(f.lastEdgeTime)) return "the PPM timing stays finite";
  return nullptr;
}

bool SameState(const SignalPath& a, const SignalPath& b) {
  const SignalSlicer &s = a.slicer, &t = b.slicer;
  const bool slicer = s.mean == t.mean && s.upper == t.upper && s.lower == t.lower && s.swing == t.swing &&
                      s.threshold == t.threshold && s.high == t.high && s.run == t.run;
  const Pcm1024Decoder &p = a.pcm1024, &q = b.pcm1024;
  const bool pcm = p.shiftRegister == q.shiftRegister && p.pendingCells == q.pendingCells &&
                   p.inSync == q.inSync && p.framePhase == q.framePhase && p.symbolIndex == q.symbolIndex &&
                   std::equal(p.accumulators, p.accumulators + 2, q.accumulators);
  const SpcmDecoder &u = a.spcm, &v = b.spcm;
  const bool spcm = u.inSync == v.inSync && std::equal(u.cells, u.cells + 32, v.cells) &&
                    u.bitCount == v.bitCount && u.symbolCount == v.symbolCount &&
                    std::equal(u.symbols, u.symbols + SpcmDecoder::kSymbolsPerFrame, v.symbols) &&
                    std::equal(u.channelWords, u.channelWords + SpcmDecoder::kChannelWords, v.channelWords);
  return slicer && pcm && spcm && a.ppm == b.ppm;
}

// One receiver and its decoding state, handed each buffer in pieces of its own sizes.
struct Lane {
  enum Split { kWhole, kSingleSamples, kUneven };
  explicit Lane(Split how) : split(how) {}

  Split split;
  std::unique_ptr<TInputControl> receiver = CreateInputControl();
  SignalPath path;

  // Slices one buffer the way a capture does: the frame flag cleared first.
  void Buffer(const std::uint8_t* bytes, std::size_t samples, std::int32_t mode, std::uint8_t control) {
    receiver->Mode = mode;
    receiver->FrameDecoded = false;
    std::size_t piece = 0;
    for (std::size_t done = 0; done < samples; ++piece) {
      std::size_t n = samples - done;
      if (split == kSingleSamples) n = 1;
      if (split == kUneven) n = std::min(n, 1 + (control * 7 + piece * 37) % 97);
      std::memcpy(receiver->Samples, bytes + 2 * done, 2 * n);
      path.Slice(*receiver, static_cast<int>(n));
      done += n;
    }
  }
};

}  // namespace

// Each step of the input is a control byte followed by samples: the control byte's top
// bit switches the mode, its low bits give the buffer's length in samples.
const char* CheckDecodePath(const std::uint8_t* data, std::size_t size) {
  Lane lanes[] = {Lane(Lane::kWhole), Lane(Lane::kSingleSamples), Lane(Lane::kUneven)};
  std::int32_t mode = 0;
  std::size_t pos = 0;
  while (pos < size) {
    const std::uint8_t control = data[pos++];
    if (control & 0x80) mode = (mode + 1) % static_cast<std::int32_t>(kSignalFormats.size());
    const std::size_t samples = std::min<std::size_t>((control & 0x7F) * 8u + 1u, (size - pos) / 2);
    for (Lane& lane : lanes) lane.Buffer(data + pos, samples, mode, control);
    pos += samples * 2;
    const TInputControl& reference = *lanes[0].receiver;
    if (const char* failure = CheckTable(reference.Channels)) return failure;
    if (const char* failure = CheckCounters(lanes[0].path)) return failure;
    for (const Lane& lane : lanes) {
      if (lane.receiver->FrameDecoded != reference.FrameDecoded) {
        return "a buffer decodes a frame however its samples are handed over";
      }
      if (std::memcmp(&lane.receiver->Channels, &reference.Channels, sizeof reference.Channels) != 0) {
        return "the table after a buffer does not depend on how its samples are handed over";
      }
    }
  }
  for (const Lane& lane : lanes) {
    if (!SameState(lane.path, lanes[0].path)) return "the decoding state does not depend on the slicing";
  }
  return nullptr;
}

}  // namespace corvane::fuzz
