// corvane-decode: decodes a recording, or the live recording device, through the
// program's own buffer path and prints, for every buffer that completed a frame, what the
// program would send; with --joystick it sends that, too.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/capture.h"
#include "audio/mixer.h"
#include "corvane-decode/buffer_handler.h"
#include "corvane-decode/capture_run.h"
#include "corvane-decode/decode_options.h"
#include "corvane-decode/input_file.h"
#include "corvane-decode/joystick_output.h"
#include "corvane-decode/report_sink.h"
#include "corvane-decode/source_choice.h"
#include "corvane-decode/stats_report.h"
#include "corvane-decode/stream_audio_device.h"
#include "decode/signal_path.h"
#include "decode/signal_stats.h"
#include "platform/platform.h"
#include "version/version_option.h"

namespace {

using namespace corvane;
using namespace corvane::tool;

int Fail(const std::string& name, const std::string& text) {
  std::fprintf(stderr, "corvane-decode: %s%s\n", name.empty() ? "" : (name + ": ").c_str(), text.c_str());
  return 1;
}

// Feeds the whole file, or what came of it before a stop signal, through the buffer path.
DecodeSummary DecodeFile(InputFile& input, TInputControl& receiver, SignalPath& path, const ChannelMap& map,
                         std::span<ReportSink* const> sinks) {
  StreamAudioDevice device(input.Samples());
  BufferHandler handler(receiver, device, path, map, sinks);
  StartInput(receiver, device, &handler);
  device.RunToEnd(&StopRequested);
  StopInput(receiver, device);
  device.AnnounceHandedBack();
  ReleasePendingBuffers(receiver);
  return handler.Summary();
}

}  // namespace

int main(int argc, char** argv) {
  if (PrintVersionIfAsked("corvane-decode", argc, argv)) return 0;
  DecodeOptions options;
  std::string error;
  bool help = false;
  if (!ParseDecodeOptions(argc, argv, options, error, help)) {
    std::fprintf(stderr, "corvane-decode: %s (see --help)\n", error.c_str());
    return 2;
  }
  if (help) {
    std::fputs(kDecodeUsage, stdout);
    return 0;
  }
  // Only a listing or a chosen source needs a mixer: a decode leaves the sound server and
  // the cards alone, and does not wait for a server to answer.
  MixerChoice mixerChoice;
  const auto mixer = options.listPorts || options.device >= 0 ? CreateMixerDevice(&mixerChoice) : nullptr;
  if (options.listPorts) {
    PrintPorts(*mixer, mixerChoice, options.json, stdout);
    return 0;
  }
  const std::string name = options.capture ? "" : options.path == "-" ? "standard input" : options.path;

  InputFile input;
  if (!options.capture && !input.Open(options.path, options.raw, error)) return Fail(name, error);
  if (!InstallStopSignals(error)) return Fail("", error);

  // Live input, or a joystick someone may be watching: show each line as it comes.
  const bool live = options.capture || options.path == "-" || options.joystick;
  TableSink table(stdout, live);
  JsonSink json(stdout, live);
  std::vector<ReportSink*> sinks{options.json ? static_cast<ReportSink*>(&json) : &table};
  SignalStatsCollector stats;
  StatsSink statsReport(stdout, options.json, stats, options.mode);
  if (options.stats) sinks.push_back(&statsReport);

  const char* const uinputOverride = std::getenv("CORVANE_UINPUT_PATH");
  const std::string joystickDevice = uinputOverride != nullptr ? uinputOverride : DefaultJoystickDevice();
  const auto bus = CreateDriverBus(joystickDevice);
  JoystickOutput joystick(*bus, joystickDevice, stderr);
  if (options.joystick) {
    // Without a usable device: one line that says why, and decoding goes on.
    if (CheckJoystickAccess(joystickDevice, stderr)) joystick.Start();
    sinks.push_back(&joystick);
  }

  auto receiver = CreateInputControl();
  receiver->Mode = options.mode;
  auto path = std::make_unique<SignalPath>();
  if (options.stats) path->counter = &stats;
  DecodeSummary summary;
  if (mixer && !ChooseSource(*mixer, *receiver, options, error)) {
    joystick.OnEnd(summary);
    return Fail("", error);
  }
  if (options.capture) {
    const bool captured =
        RunCapture(options, *receiver, *path, options.stats ? &stats : nullptr, sinks, summary, error);
    if (mixer) RestoreMixer(*receiver, *mixer);
    if (!captured) {
      joystick.OnEnd(summary);
      return Fail("", error);
    }
  } else {
    summary = DecodeFile(input, *receiver, *path, options.map, sinks);
  }

  for (ReportSink* sink : sinks) sink->OnEnd(summary);
  if (options.capture) return 0;
  // A read cut short by a stop signal is the end the user asked for.
  if (const std::string failure = input.ReadError(); !failure.empty() && !input.Interrupted()) {
    return Fail(name, "cannot read: " + failure);
  }
  if (const std::string warning = input.Warning(); !warning.empty() && !StopRequested()) {
    std::fprintf(stderr, "corvane-decode: %s: warning: %s\n", name.c_str(), warning.c_str());
  }
  return 0;
}
