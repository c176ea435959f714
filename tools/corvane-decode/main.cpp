// corvane-decode: decodes a recording through the program's own buffer path and prints,
// for every buffer that completed a frame, what the program would send.
#include <cstdio>
#include <string>

#include "audio/capture.h"
#include "corvane-decode/buffer_handler.h"
#include "corvane-decode/decode_options.h"
#include "corvane-decode/input_file.h"
#include "corvane-decode/report_sink.h"
#include "corvane-decode/stream_audio_device.h"
#include "decode/signal_path.h"

namespace {

int Fail(const std::string& name, const std::string& text) {
  std::fprintf(stderr, "corvane-decode: %s%s\n", name.empty() ? "" : (name + ": ").c_str(), text.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace corvane;
  using namespace corvane::tool;

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
  const std::string name = options.path == "-" ? "standard input" : options.path;

  InputFile input;
  if (!input.Open(options.path, options.raw, error)) return Fail(name, error);

  // Reading a live stream: show each line as it comes.
  const bool live = options.path == "-";
  TableSink table(stdout, live);
  JsonSink json(stdout, live);
  ReportSink* const sinks[] = {options.json ? static_cast<ReportSink*>(&json) : &table};

  auto receiver = CreateInputControl();
  receiver->Mode = options.mode;
  auto path = std::make_unique<SignalPath>();
  StreamAudioDevice device(input.Samples());
  BufferHandler handler(*receiver, device, *path, options.map, sinks);

  StartInput(*receiver, device, &handler);
  device.RunToEnd();
  StopInput(*receiver, device);
  device.AnnounceHandedBack();
  ReleasePendingBuffers(*receiver);

  for (ReportSink* sink : sinks) sink->OnEnd(handler.Summary());
  if (const std::string failure = input.ReadError(); !failure.empty()) {
    return Fail(name, "cannot read: " + failure);
  }
  if (const std::string warning = input.Warning(); !warning.empty()) {
    std::fprintf(stderr, "corvane-decode: %s: warning: %s\n", name.c_str(), warning.c_str());
  }
  return 0;
}
