#include "platform/linux/pulse_server.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/volume.h>

#include <algorithm>

namespace corvane {

namespace {

using Clock = std::chrono::steady_clock;

PulseSource SourceOf(const pa_source_info& info) {
  PulseSource source;
  source.name = info.name ? info.name : "";
  source.description = info.description ? info.description : source.name;
  source.hardware = (info.flags & PA_SOURCE_HARDWARE) != 0;
  source.monitor = info.monitor_of_sink != PA_INVALID_INDEX;
  for (std::uint32_t i = 0; i < info.n_ports && info.ports && info.ports[i]; ++i) {
    const pa_source_port_info& port = *info.ports[i];
    const std::string name = port.name ? port.name : "";
    source.ports.push_back({name, port.description ? port.description : name});
  }
  if (info.active_port && info.active_port->name) source.activePort = info.active_port->name;
  source.volume.assign(info.volume.values, info.volume.values + info.volume.channels);
  source.mute = info.mute != 0;
  return source;
}

}  // namespace

std::unique_ptr<PulseServer> PulseServer::Connect(std::chrono::milliseconds timeout) {
  std::unique_ptr<PulseServer> server(new PulseServer);
  server->timeout_ = timeout;
  if (!server->Ready()) return nullptr;
  struct Answer {
    bool done = false;
    std::string name;
  } answer;
  const auto onInfo = [](pa_context*, const pa_server_info* info, void* data) {
    auto& a = *static_cast<Answer*>(data);
    if (info)
      a.name = std::string(info->server_name ? info->server_name : "") + " " +
               (info->server_version ? info->server_version : "");
    a.done = true;
  };
  if (!server->Finish(pa_context_get_server_info(server->context_, onInfo, &answer)) || !answer.done) {
    return nullptr;
  }
  server->name_ = answer.name;
  return server;
}

PulseServer::~PulseServer() { Disconnect(); }

void PulseServer::Disconnect() {
  if (context_) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
  }
  if (loop_) pa_mainloop_free(loop_);
  context_ = nullptr;
  loop_ = nullptr;
}

template <typename Done>
bool PulseServer::RunUntil(Done done, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!done()) {
    const pa_context_state_t state = pa_context_get_state(context_);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) return false;
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    if (pa_mainloop_prepare(loop_, static_cast<int>(left)) < 0 || pa_mainloop_poll(loop_) < 0 ||
        pa_mainloop_dispatch(loop_) < 0) {
      return false;
    }
  }
  return true;
}

bool PulseServer::Ready() {
  if (context_ && pa_context_get_state(context_) == PA_CONTEXT_READY) return true;
  Disconnect();
  loop_ = pa_mainloop_new();
  if (!loop_) return false;
  context_ = pa_context_new(pa_mainloop_get_api(loop_), "Corvane");
  // No autospawn: where no server runs, the sound cards' mixers are used instead.
  if (!context_ || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
      !RunUntil([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; }, timeout_)) {
    Disconnect();
    return false;
  }
  return true;
}

bool PulseServer::Finish(pa_operation* operation) {
  if (!operation) return false;
  const bool finished =
      RunUntil([operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; }, timeout_);
  // A cancelled operation calls back no more: the answer it would write is gone with us.
  if (!finished) pa_operation_cancel(operation);
  const bool done = finished && pa_operation_get_state(operation) == PA_OPERATION_DONE;
  pa_operation_unref(operation);
  return done;
}

bool PulseServer::Succeeded(pa_operation* operation, const int& success) {
  return Finish(operation) && success != 0;
}

bool PulseServer::QuerySources(const std::string* name, std::vector<PulseSource>& sources) {
  if (!Ready()) return false;
  struct Answer {
    std::vector<PulseSource> sources;
    bool complete = false;
  } answer;
  const auto onSource = [](pa_context*, const pa_source_info* info, int last, void* data) {
    auto& a = *static_cast<Answer*>(data);
    if (last < 0) return;  // an error, or no such source: the list stays incomplete
    if (last > 0) {
      a.complete = true;
      return;
    }
    a.sources.push_back(SourceOf(*info));
  };
  pa_operation* operation =
      name ? pa_context_get_source_info_by_name(context_, name->c_str(), onSource, &answer)
           : pa_context_get_source_info_list(context_, onSource, &answer);
  if (!Finish(operation) || !answer.complete) return false;
  sources = std::move(answer.sources);
  return true;
}

bool PulseServer::Sources(std::vector<PulseSource>& sources) { return QuerySources(nullptr, sources); }

bool PulseServer::Source(const std::string& name, PulseSource& source) {
  std::vector<PulseSource> found;
  if (!QuerySources(&name, found) || found.size() != 1) return false;
  source = std::move(found[0]);
  return true;
}

namespace {
void OnSuccess(pa_context*, int success, void* data) { *static_cast<int*>(data) = success; }
}  // namespace

bool PulseServer::SetPort(const std::string& source, const std::string& port) {
  int success = 0;
  return Ready() && Succeeded(pa_context_set_source_port_by_name(context_, source.c_str(), port.c_str(),
                                                                 OnSuccess, &success),
                              success);
}

bool PulseServer::SetVolume(const std::string& source, std::span<const std::uint32_t> volume) {
  if (volume.empty() || volume.size() > PA_CHANNELS_MAX) return false;
  pa_cvolume channels;
  pa_cvolume_init(&channels);
  channels.channels = static_cast<std::uint8_t>(volume.size());
  for (std::size_t i = 0; i < volume.size(); ++i) channels.values[i] = std::min(volume[i], PA_VOLUME_MAX);
  int success = 0;
  return Ready() && Succeeded(pa_context_set_source_volume_by_name(context_, source.c_str(), &channels,
                                                                   OnSuccess, &success),
                              success);
}

bool PulseServer::SetMute(const std::string& source, bool mute) {
  int success = 0;
  return Ready() && Succeeded(pa_context_set_source_mute_by_name(context_, source.c_str(), mute ? 1 : 0,
                                                                 OnSuccess, &success),
                              success);
}

}  // namespace corvane
