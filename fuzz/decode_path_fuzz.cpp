// Arbitrary bytes as samples, cut into buffers of arbitrary sizes, with the mode
// switched at arbitrary points. Whatever arrives, the channel table stays in range,
// and the same stream sliced one sample at a time ends in the same state.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "decode/input_control.h"
#include "decode/signal_path.h"

namespace {

using corvane::TInputControl;

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckTable(const TInputControl& rx) {
  const auto& t = rx.Channels;
  for (int i = 0; i < 8; ++i) {
    Check(t.positions[i] >= 0 && t.positions[i] <= 1023);
    Check(t.seconds[i] >= 0 && t.seconds[i] <= 1023);
    Check(t.flags[i] == 0 || t.flags[i] == 1);
  }
  for (int i = 8; i < 10; ++i) {
    Check(t.positions[i] == 0 || t.positions[i] == 1 || t.positions[i] == 512);
    Check(t.seconds[i] == 512 && t.flags[i] == 0);
  }
}

// Each step of the input is a control byte followed by samples: the control byte's top
// bit switches the mode, its low bits give the buffer's length in samples.
// `step` is the number of samples handed to one Slice call (0: the whole buffer).
void Run(const std::uint8_t* data, std::size_t size, TInputControl& rx, corvane::SignalPath& path,
         std::size_t step) {
  std::size_t pos = 0;
  while (pos < size) {
    const std::uint8_t control = data[pos++];
    if (control & 0x80) rx.Mode = rx.Mode == 0 ? 1 : 0;
    const std::size_t samples = std::min<std::size_t>((control & 0x7F) * 8u + 1u, (size - pos) / 2);
    for (std::size_t done = 0; done < samples;) {
      const std::size_t n = step == 0 ? samples : std::min(step, samples - done);
      std::memcpy(rx.Samples, data + pos + 2 * done, 2 * n);
      path.Slice(rx, static_cast<int>(n));
      done += n;
    }
    pos += samples * 2;
    CheckTable(rx);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto whole = corvane::CreateInputControl();
  auto single = corvane::CreateInputControl();
  corvane::SignalPath whole_path, single_path;
  Run(data, size, *whole, whole_path, 0);
  Run(data, size, *single, single_path, 1);
  Check(std::memcmp(&whole->Channels, &single->Channels, sizeof whole->Channels) == 0);
  Check(whole_path.slicer.run == single_path.slicer.run);
  Check(whole_path.slicer.threshold == single_path.slicer.threshold);
  return 0;
}
