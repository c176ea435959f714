#include "platform/linux/alsa_audio_device.h"

#include "platform/linux/precise_timer.h"

#include <alsa/asoundlib.h>
#include <poll.h>
#include <sys/stat.h>

#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

namespace corvane {

namespace {

// Keeps ALSA's own messages quiet while the device is tried again and again.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Lets ALSA's own messages out once, so a device missing at the first try is explained.
class QuietAlsa {
 public:
  explicit QuietAlsa(bool quiet) : quiet_(quiet) {
    if (quiet_) snd_lib_error_set_handler(&IgnoreAlsaError);
  }
  ~QuietAlsa() {
    if (quiet_) snd_lib_error_set_handler(nullptr);
  }
  QuietAlsa(const QuietAlsa&) = delete;
  QuietAlsa& operator=(const QuietAlsa&) = delete;

 private:
  bool quiet_;
};

// ALSA wakes the reader once per period. A period that divides the capture path's
// 1000-frame buffer ends when a buffer fills, so no filled buffer waits for the rest of a
// period; where the card has none, a short one keeps the wait short. A sound server's
// plugin hands over what its server sends at the period it is asked for: short ones.
// ALSA's own buffer stays generous, for a busy event loop.
constexpr snd_pcm_uframes_t kDividingPeriods[] = {1000, 500, 250, 200};
constexpr snd_pcm_uframes_t kShortPeriodFrames = 64;
constexpr unsigned kBufferMicroseconds = 200000;

// A card's period interrupt can come late or be merged into the next one (emulated cards
// do this often), while its position is current whenever it is asked for. So the reader
// also wakes this long after the front buffer should have filled and asks the position.
constexpr std::chrono::microseconds kFillMargin{500};

// Chooses the period on `hw`: `asked` frames (or the nearest) when given, else as above.
void ChoosePeriod(snd_pcm_t* pcm, snd_pcm_hw_params_t* hw, snd_pcm_uframes_t asked) {
  int dir = 0;
  if (asked == 0 && snd_pcm_type(pcm) != SND_PCM_TYPE_IOPLUG) {
    for (snd_pcm_uframes_t period : kDividingPeriods) {
      if (snd_pcm_hw_params_test_period_size(pcm, hw, period, 0) == 0) {
        snd_pcm_hw_params_set_period_size(pcm, hw, period, 0);
        return;
      }
    }
    // The longest period of at most 64 frames the card has, else its shortest.
    snd_pcm_uframes_t shortest = 0;
    if (snd_pcm_hw_params_get_period_size_min(hw, &shortest, &dir) == 0 && shortest > kShortPeriodFrames) {
      dir = 0;
      snd_pcm_hw_params_set_period_size_first(pcm, hw, &shortest, &dir);
      return;
    }
    snd_pcm_uframes_t longest = kShortPeriodFrames;
    dir = 0;
    snd_pcm_hw_params_set_period_size_max(pcm, hw, &longest, &dir);
    dir = 0;
    snd_pcm_hw_params_set_period_size_last(pcm, hw, &longest, &dir);
    return;
  }
  snd_pcm_uframes_t period = asked == 0 ? kShortPeriodFrames : asked;
  snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, &dir);
}

// 16-bit interleaved capture at the format's rate and channels, in short periods.
int SetParams(snd_pcm_t* pcm, const WaveFormat& format, snd_pcm_uframes_t periodFrames) {
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_hw_params_alloca(&hw);
  int err = snd_pcm_hw_params_any(pcm, hw);
  if (err >= 0) err = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
  if (err >= 0) err = snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE);
  if (err >= 0) err = snd_pcm_hw_params_set_channels(pcm, hw, format.channels);
  if (err >= 0) err = snd_pcm_hw_params_set_rate_resample(pcm, hw, 1);
  if (err >= 0) err = snd_pcm_hw_params_set_rate(pcm, hw, format.samplesPerSec, 0);
  if (err < 0) return err;
  ChoosePeriod(pcm, hw, periodFrames);
  unsigned bufferTime = kBufferMicroseconds;
  int dir = 0;
  snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferTime, &dir);
  err = snd_pcm_hw_params(pcm, hw);
  if (err < 0) return err;

  snd_pcm_sw_params_t* sw = nullptr;
  snd_pcm_sw_params_alloca(&sw);
  err = snd_pcm_sw_params_current(pcm, sw);
  snd_pcm_uframes_t buffer = 0, granted = 0;
  if (err >= 0) err = snd_pcm_get_params(pcm, &buffer, &granted);
  if (err >= 0) err = snd_pcm_sw_params_set_avail_min(pcm, sw, granted);
  // Timestamps of the hardware position, for measuring how late buffers are announced.
  if (err >= 0) err = snd_pcm_sw_params_set_tstamp_mode(pcm, sw, SND_PCM_TSTAMP_ENABLE);
  if (err >= 0) err = snd_pcm_sw_params_set_tstamp_type(pcm, sw, SND_PCM_TSTAMP_TYPE_MONOTONIC);
  if (err >= 0) err = snd_pcm_sw_params(pcm, sw);
  return err;
}

}  // namespace

struct AlsaAudioDevice::Session {
  std::string pcmName;
  snd_pcm_uframes_t periodFrames = AlsaAudioDevice::kPeriodFrames;
  snd_pcm_status_t* status = nullptr;  // set while delays are measured
  std::chrono::microseconds lastDelay{-1};
  AlsaAudioDevice::Wakeups wakeups;
  QObject context;  // owns the notifiers, the timer and the posted announcements
  QTimer reopenTimer{&context};
  QTimer restTimer{&context};  // brings the watch back after a wake-up that found nothing
  bool resting = false;
  PreciseTimer fillTimer{[this] { OnFillDue(); }};
  const WaveHeader* timedFront = nullptr;   // the buffer fillTimer is armed for
  std::chrono::nanoseconds positionTime{};  // when the frames read so far had been recorded
  bool reading = false;                     // buffers are being filled: their levels still change

  WaveInHandle handle = kInvalidWaveIn;
  WaveInHandle nextHandle = 1;
  WaveInListener* listener = nullptr;
  WaveFormat format;
  bool started = false;
  std::vector<WaveHeader*> queue;  // accepted buffers, oldest (being filled) first
  unsigned closes = 0;             // tells a read loop that its capture ended meanwhile

  snd_pcm_t* pcm = nullptr;
  bool plugin = false;  // a sound server's plugin: its position moves only with its server
  std::vector<pollfd> pollFds;
  std::vector<pollfd> rearmedFds;  // the descriptors asked for again before each wait
  std::vector<QSocketNotifier*> notifiers;
  unsigned long framesRead = 0;
  std::string lastError;

  bool IsOpen(WaveInHandle h) const { return h != kInvalidWaveIn && h == handle; }
  bool IsQueued(const WaveHeader* header) const {
    return std::find(queue.begin(), queue.end(), header) != queue.end();
  }

  void Fail(const char* what, int err) {
    lastError = std::string(what) + " \"" + pcmName + "\": " + snd_strerror(err);
  }

  bool OpenPcm(bool quiet) {
    QuietAlsa quietAlsa(quiet);
    int err = snd_pcm_open(&pcm, pcmName.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (err < 0) {
      pcm = nullptr;
      Fail("Cannot open the recording device", err);
      return false;
    }
    err = SetParams(pcm, format, periodFrames);
    const int count = err < 0 ? 0 : snd_pcm_poll_descriptors_count(pcm);
    if (err < 0 || count <= 0) {
      Fail("The recording device refuses 16-bit mono at 48000 Hz:", err < 0 ? err : -EINVAL);
      ClosePcm();
      return false;
    }
    pollFds.resize(static_cast<std::size_t>(count));
    rearmedFds.resize(pollFds.size());
    snd_pcm_poll_descriptors(pcm, pollFds.data(), static_cast<unsigned>(count));
    // A card is watched through its PCM device or timer; a server's plugin, however
    // wrapped, through pipes or event descriptors.
    plugin = !std::all_of(pollFds.begin(), pollFds.end(), [](const pollfd& fd) {
      struct stat node {};
      return fstat(fd.fd, &node) == 0 && S_ISCHR(node.st_mode);
    });
    WatchDescriptors();
    lastError.clear();
    return true;
  }

  void WatchDescriptors() {
    for (const pollfd& fd : pollFds) {
      const auto type = (fd.events & POLLOUT) ? QSocketNotifier::Write : QSocketNotifier::Read;
      auto* notifier = new QSocketNotifier(fd.fd, type, &context);
      notifier->setEnabled(false);
      QObject::connect(notifier, &QSocketNotifier::activated, &context, [this] { OnReady(); });
      notifiers.push_back(notifier);
    }
  }

  void DropNotifiers() {
    // A notifier may be the one whose signal runs now: delete it only later.
    for (QSocketNotifier* notifier : notifiers) {
      notifier->setEnabled(false);
      notifier->deleteLater();
    }
    notifiers.clear();
  }

  // A plugin may re-arm its descriptors only when they are asked for: pipewire-alsa's
  // stays readable until then, and the loop would wake again at once, for ever. So they
  // are asked for before every wait; should the plugin hand out others, they are watched.
  void Rearm() {
    const auto count = static_cast<unsigned>(rearmedFds.size());
    if (snd_pcm_poll_descriptors(pcm, rearmedFds.data(), count) != static_cast<int>(count)) return;
    const bool same =
        std::equal(pollFds.begin(), pollFds.end(), rearmedFds.begin(),
                   [](const pollfd& a, const pollfd& b) { return a.fd == b.fd && a.events == b.events; });
    if (same) return;
    pollFds.swap(rearmedFds);
    DropNotifiers();
    WatchDescriptors();
    UpdateWatch();
  }

  void ClosePcm() {
    restTimer.stop();
    resting = false;
    fillTimer.Disarm();
    timedFront = nullptr;
    DropNotifiers();
    pollFds.clear();
    rearmedFds.clear();
    if (pcm) snd_pcm_close(pcm);
    pcm = nullptr;
  }

  // Brings a prepared or stopped PCM to running. Capture has to be started by hand:
  // until then its descriptors never become ready. A PCM that is prepared already is not
  // prepared again: the pulse plugin would replace its stream but leave its descriptor
  // ready from the old one, with nothing to read until the new stream brings data.
  bool RunPcm() {
    const snd_pcm_state_t state = snd_pcm_state(pcm);
    if (state == SND_PCM_STATE_RUNNING) return true;
    int err = state == SND_PCM_STATE_PREPARED ? 0 : snd_pcm_prepare(pcm);
    if (err >= 0) err = snd_pcm_start(pcm);
    if (err < 0) Fail("Cannot start the recording device", err);
    return err >= 0;
  }

  // Watch the descriptors only while there is somewhere to put the samples: with no
  // buffer queued, the ready descriptors would wake the loop for nothing.
  void UpdateWatch() {
    const bool watch = pcm && started && !queue.empty() && !resting;
    for (QSocketNotifier* notifier : notifiers) notifier->setEnabled(watch);
    TimeFront(watch && !plugin);
  }

  // Arms fillTimer for when the front buffer should be full, once per buffer.
  void TimeFront(bool timed) {
    if (reading) return;  // the read ends by updating the watch
    if (!timed) {
      if (timedFront) fillTimer.Disarm();
      timedFront = nullptr;
      return;
    }
    const WaveHeader* front = queue.front();
    if (front == timedFront) return;
    timedFront = front;
    const std::int64_t missing = (front->bufferLength - front->bytesRecorded) / format.blockAlign;
    fillTimer.ArmAt(positionTime + std::chrono::nanoseconds(missing * 1000000000 / format.samplesPerSec) +
                    kFillMargin);
  }

  // The front buffer should be full by now: read up to the card's present position,
  // whether or not its interrupt has told it.
  void OnFillDue() {
    timedFront = nullptr;  // armed again below for whatever is still missing
    if (!pcm || !started || queue.empty()) return;
    ++wakeups.all;
    ++wakeups.timed;
    const unsigned long readBefore = framesRead;
    ReadAvailable(true);
    if (!pcm) return;
    if (framesRead == readBefore) ++wakeups.empty;
    UpdateWatch();
  }

  // The device went away (or cannot run): drop it and try again while input runs.
  void Lose(int err) {
    Fail("Lost the recording device", err);
    ClosePcm();
    if (started) reopenTimer.start();
  }

  void Reopen() {
    if (!started || pcm) {
      reopenTimer.stop();
      return;
    }
    if (!OpenPcm(true)) return;
    if (!RunPcm()) {
      ClosePcm();
      return;
    }
    reopenTimer.stop();
    UpdateWatch();
  }

  // An overrun or a suspend loses samples but not the device: capture goes on.
  void Recover(int err) {
    if (err == -EPIPE || err == -ESTRPIPE) {
      if (RunPcm()) return;
      err = -EIO;
    }
    Lose(err);
  }

  void OnReady() {
    if (!pcm) return;
    ++wakeups.all;
    // A card tells its errors only through poll. A plugin tells them itself, and what
    // woke the loop is its descriptor being readable: that spares a system call a period.
    for (pollfd& fd : pollFds) fd.revents = plugin ? static_cast<short>(fd.events & POLLIN) : 0;
    if (!plugin) ::poll(pollFds.data(), pollFds.size(), 0);
    unsigned short revents = 0;
    const int err = snd_pcm_poll_descriptors_revents(pcm, pollFds.data(),
                                                     static_cast<unsigned>(pollFds.size()), &revents);
    if (err < 0) {
      Lose(err);
      return;
    }
    if ((revents & (POLLERR | POLLHUP | POLLNVAL)) && !RecoverFromState()) return;
    // Read what is there even when the plugin says nothing is ready: asking for the
    // position is what lets the pulse plugin take its readiness back.
    const unsigned long readBefore = framesRead;
    ReadAvailable(false);
    if (!pcm) return;
    Rearm();
    if (framesRead == readBefore) {
      ++wakeups.empty;
      if (plugin) Rest();  // a card's descriptor is ready only while there is something to read
    }
  }

  // The pulse plugin's descriptor can stay readable while it has nothing to give, until
  // more than a period has come: waiting on it would spin. After a wake-up that found
  // nothing, the descriptors are left alone until a period should have come.
  void Rest() {
    snd_pcm_uframes_t buffer = 0, period = 0;
    if (snd_pcm_get_params(pcm, &buffer, &period) < 0) period = periodFrames;
    const snd_pcm_sframes_t avail = std::max<snd_pcm_sframes_t>(snd_pcm_avail_update(pcm), 0);
    const auto missing =
        static_cast<long long>(period) - std::min<long long>(avail, static_cast<long long>(period));
    const long long milliseconds = (missing * 1000 + format.samplesPerSec - 1) / format.samplesPerSec;
    resting = true;
    UpdateWatch();
    restTimer.start(static_cast<int>(std::max<long long>(milliseconds, 1)));
  }

  void EndRest() {
    resting = false;
    UpdateWatch();
    if (pcm && started && !queue.empty()) OnReady();
  }

  // The device says it cannot be read as it is. A card that went away leaves its PCM
  // disconnected with nothing to read, so no read would fail and tell: its state has to
  // be asked, or the loop would wake for ever and the card stay held. True when reading
  // can go on.
  bool RecoverFromState() {
    const snd_pcm_state_t state = snd_pcm_state(pcm);
    switch (static_cast<int>(state)) {
      case SND_PCM_STATE_RUNNING:
      case SND_PCM_STATE_PREPARED:
        return true;
      case SND_PCM_STATE_XRUN:
        Recover(-EPIPE);
        break;
      case SND_PCM_STATE_SUSPENDED:
        Recover(-ESTRPIPE);
        break;
      case SND_PCM_STATE_DISCONNECTED:
        Lose(-ENODEV);
        break;
      default:  // an error instead of a state, or stopped: started again if it can be
        if (static_cast<int>(state) < 0) {
          Lose(static_cast<int>(state));
        } else {
          Recover(-EPIPE);
        }
        break;
    }
    UpdateWatch();
    return false;
  }

  // Reads what the device holds now (not more, so a source that never runs dry cannot
  // keep the loop here) into the queued buffers, announcing each as it fills. Asking the
  // position costs a call into the card's driver; otherwise its last interrupt's counts.
  void ReadAvailable(bool askPosition) {
    snd_pcm_sframes_t avail = askPosition ? snd_pcm_avail(pcm) : snd_pcm_avail_update(pcm);
    positionTime = PreciseTimer::Now();  // the position is no newer, so deadlines from it are never early
    if (avail < 0) {
      Recover(static_cast<int>(avail));
      UpdateWatch();
      return;
    }
    const std::uint32_t frameBytes = format.blockAlign;
    const unsigned session = closes;
    reading = true;
    while (avail > 0 && !queue.empty()) {
      WaveHeader* header = queue.front();
      const std::uint32_t room = header->bufferLength - header->bytesRecorded;
      if (room >= frameBytes) {
        const snd_pcm_uframes_t frames =
            std::min<snd_pcm_uframes_t>(room / frameBytes, static_cast<snd_pcm_uframes_t>(avail));
        const snd_pcm_sframes_t got = snd_pcm_readi(pcm, header->data + header->bytesRecorded, frames);
        if (got == -EAGAIN || got == 0) break;
        if (got < 0) {
          Recover(static_cast<int>(got));
          break;
        }
        header->bytesRecorded += static_cast<std::uint32_t>(got) * frameBytes;
        framesRead += static_cast<unsigned long>(got);
        avail -= got;
        if (header->bufferLength - header->bytesRecorded >= frameBytes) continue;
      }
      queue.erase(queue.begin());
      if (header == timedFront) timedFront = nullptr;
      if (status) MeasureDelay();
      listener->OnWaveInData(header);
      // The listener may have stopped or closed the capture.
      if (session != closes || !pcm || !started) {
        reading = false;
        return;
      }
    }
    reading = false;
    UpdateWatch();
  }

  // The last sample read was recorded `delay` frames before the position that ALSA
  // timestamped; the announcement follows now. On a card the timestamp is the hardware's
  // last position update; through a sound server's plugin it is "now", and the delay is
  // the server's own estimate of what waits in it.
  void MeasureDelay() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (snd_pcm_status(pcm, status) < 0) {
      lastDelay = std::chrono::microseconds(-1);
      return;
    }
    snd_htimestamp_t stamp{};
    snd_pcm_status_get_htstamp(status, &stamp);
    const auto nanoseconds = [](const timespec& t) {
      return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    const std::int64_t later = static_cast<std::int64_t>(snd_pcm_status_get_delay(status)) * 1000000000 /
                               static_cast<std::int64_t>(format.samplesPerSec);
    lastDelay = std::chrono::microseconds((nanoseconds(now) - nanoseconds(stamp) + later) / 1000);
  }

  void HandBack() {
    for (WaveHeader* header : queue) {
      QMetaObject::invokeMethod(
          &context, [l = listener, header] { l->OnWaveInData(header); }, Qt::QueuedConnection);
    }
    queue.clear();
  }

  void Halt() {
    started = false;
    reopenTimer.stop();
    restTimer.stop();
    resting = false;
    if (pcm) snd_pcm_drop(pcm);
    UpdateWatch();
  }
};

AlsaAudioDevice::AlsaAudioDevice(std::string pcmName, std::chrono::milliseconds retryInterval,
                                 unsigned long periodFrames)
    : session_(std::make_unique<Session>()) {
  session_->pcmName = std::move(pcmName);
  session_->periodFrames = periodFrames;
  session_->reopenTimer.setInterval(retryInterval);
  QObject::connect(&session_->reopenTimer, &QTimer::timeout, &session_->context,
                   [s = session_.get()] { s->Reopen(); });
  session_->restTimer.setSingleShot(true);
  session_->restTimer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&session_->restTimer, &QTimer::timeout, &session_->context,
                   [s = session_.get()] { s->EndRest(); });
  session_->queue.reserve(8);
}

AlsaAudioDevice::~AlsaAudioDevice() {
  Session& s = *session_;
  s.Halt();
  s.ClosePcm();
  if (s.status) snd_pcm_status_free(s.status);
}

bool AlsaAudioDevice::Open(WaveInHandle* handle, const WaveFormat& format, WaveInListener* listener) {
  Session& s = *session_;
  if (s.handle != kInvalidWaveIn) Close(s.handle);
  *handle = kInvalidWaveIn;
  if (format.formatTag != kWaveFormatPcm || format.bitsPerSample != 16 || format.channels == 0 ||
      format.blockAlign != 2 * format.channels || !listener) {
    s.lastError = "Only 16-bit PCM can be recorded";
    return false;
  }
  s.format = format;
  s.listener = listener;
  s.handle = s.nextHandle++;
  if (s.nextHandle < 0) s.nextHandle = 1;
  *handle = s.handle;
  return s.OpenPcm(false);
}

bool AlsaAudioDevice::Prepare(WaveInHandle handle, WaveHeader* header) {
  if (!session_->IsOpen(handle) || !header) return false;
  header->flags |= kWaveHeaderPrepared;
  return true;
}

bool AlsaAudioDevice::Unprepare(WaveInHandle handle, WaveHeader* header) {
  if (!session_->IsOpen(handle) || !header || session_->IsQueued(header)) return false;
  header->flags &= ~kWaveHeaderPrepared;
  return true;
}

bool AlsaAudioDevice::Add(WaveInHandle handle, WaveHeader* header) {
  Session& s = *session_;
  if (!s.IsOpen(handle) || !header || !(header->flags & kWaveHeaderPrepared) || s.IsQueued(header)) {
    return false;
  }
  header->bytesRecorded = 0;
  s.queue.push_back(header);
  s.UpdateWatch();
  return true;
}

bool AlsaAudioDevice::Start(WaveInHandle handle) {
  Session& s = *session_;
  if (!s.IsOpen(handle)) return false;
  s.started = true;
  if (s.pcm && !s.RunPcm()) s.Lose(-EIO);
  if (!s.pcm) s.reopenTimer.start();
  s.UpdateWatch();
  return s.pcm != nullptr;
}

bool AlsaAudioDevice::Stop(WaveInHandle handle) {
  if (!session_->IsOpen(handle)) return false;
  session_->Halt();
  return true;
}

bool AlsaAudioDevice::Reset(WaveInHandle handle) {
  Session& s = *session_;
  if (!s.IsOpen(handle)) return false;
  s.Halt();
  s.HandBack();
  return true;
}

bool AlsaAudioDevice::Close(WaveInHandle handle) {
  Session& s = *session_;
  if (!s.IsOpen(handle)) return false;
  s.Halt();
  s.HandBack();  // every accepted buffer is announced once, closed or not
  s.ClosePcm();
  s.handle = kInvalidWaveIn;
  s.listener = nullptr;
  ++s.closes;
  return true;
}

std::string AlsaAudioDevice::LastError() const { return session_->lastError; }

void AlsaAudioDevice::MeasureDelays() {
  if (!session_->status && snd_pcm_status_malloc(&session_->status) < 0) session_->status = nullptr;
}

std::chrono::microseconds AlsaAudioDevice::LastDelay() const { return session_->lastDelay; }

AlsaAudioDevice::Wakeups AlsaAudioDevice::CountedWakeups() const { return session_->wakeups; }

bool AlsaAudioDevice::Granted(unsigned long& periodFrames, unsigned long& bufferFrames) const {
  snd_pcm_uframes_t buffer = 0, period = 0;
  if (!session_->pcm || snd_pcm_get_params(session_->pcm, &buffer, &period) < 0) return false;
  periodFrames = period;
  bufferFrames = buffer;
  return true;
}

}  // namespace corvane
