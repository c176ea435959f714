#include "platform/win32/wave_in_audio_device.h"

#include "platform/win32/ansi_text.h"

namespace corvane {

namespace {

constexpr char kWindowClass[] = "CorvaneWaveInWindow";

LRESULT CALLBACK WaveInWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* device = reinterpret_cast<WaveInAudioDevice*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (device != nullptr && device->HandleMessage(message, wParam, lParam)) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateMessageWindow() {
  static const ATOM windowClass = [] {
    WNDCLASSEXA description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = &WaveInWindowProc;
    description.hInstance = GetModuleHandleA(nullptr);
    description.lpszClassName = kWindowClass;
    return RegisterClassExA(&description);
  }();
  if (windowClass == 0) return nullptr;
  return CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::string ErrorText(MMRESULT result) {
  char text[MAXERRORLENGTH] = {};
  if (waveInGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR) {
    return "error " + std::to_string(result);
  }
  // The system's sentence goes inside one of ours: without its full stop.
  std::string sentence = AnsiToUtf8(text);
  while (!sentence.empty() && (sentence.back() == '.' || sentence.back() == ' ')) sentence.pop_back();
  return sentence;
}

}  // namespace

WaveInFunctions WinmmWaveInFunctions() {
  return {&::waveInOpen,  &::waveInPrepareHeader, &::waveInUnprepareHeader, &::waveInAddBuffer,
          &::waveInStart, &::waveInStop,          &::waveInReset,           &::waveInClose};
}

WaveInAudioDevice::WaveInAudioDevice(HWND window, const WaveInFunctions& functions)
    : winmm_(functions), window_(window) {
  if (window_ == nullptr) {
    window_ = CreateMessageWindow();
    ownWindow_ = window_ != nullptr;
    if (ownWindow_) SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
}

WaveInAudioDevice::~WaveInAudioDevice() {
  for (Session& session : sessions_) {
    if (!session.open) continue;
    winmm_.waveInReset(session.wave);
    winmm_.waveInClose(session.wave);
  }
  for (Slot& slot : slots_) {
    if (slot.record != nullptr) ReleaseSlot(slot);
  }
  if (ownWindow_) DestroyWindow(window_);
}

bool WaveInAudioDevice::Open(WaveInHandle* handle, const WaveFormat& format, WaveInListener* listener) {
  *handle = kInvalidWaveIn;
  int free = -1;
  for (int i = 0; i < kSessions && free < 0; ++i) {
    if (!sessions_[i].open && !SessionInUse(i)) free = i;
  }
  if (free < 0 || window_ == nullptr) {
    lastError_ = window_ == nullptr ? "cannot make the window for the recording device's messages"
                                    : "too many captures at once";
    return false;
  }
  WAVEFORMATEX wave{};
  wave.wFormatTag = format.formatTag;
  wave.nChannels = format.channels;
  wave.nSamplesPerSec = format.samplesPerSec;
  wave.nAvgBytesPerSec = format.avgBytesPerSec;
  wave.nBlockAlign = format.blockAlign;
  wave.wBitsPerSample = format.bitsPerSample;
  wave.cbSize = format.extraSize;
  Session& session = sessions_[free];
  const MMRESULT result = winmm_.waveInOpen(&session.wave, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(window_), 0,
                                     CALLBACK_WINDOW);
  if (result != MMSYSERR_NOERROR) {
    session.wave = nullptr;
    lastError_ = "cannot open the recording device: " + ErrorText(result);
    return false;
  }
  session.listener = listener;
  session.open = true;
  lastError_.clear();
  *handle = free;
  return true;
}

bool WaveInAudioDevice::Prepare(WaveInHandle handle, WaveHeader* header) {
  Session* session = OpenSession(handle);
  if (session == nullptr) return false;
  Slot* slot = BindSlot(handle, header);
  if (slot == nullptr) return false;
  WAVEHDR& record = *slot->record;
  record.lpData = header->data;
  record.dwBufferLength = header->bufferLength;
  record.dwBytesRecorded = 0;
  // The flags of a record that is not prepared start from zero (its last done flag goes).
  if ((record.dwFlags & WHDR_PREPARED) == 0) record.dwFlags = 0;
  const bool prepared = winmm_.waveInPrepareHeader(session->wave, slot->record, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
  header->flags = slot->record->dwFlags;
  return prepared;
}

bool WaveInAudioDevice::Unprepare(WaveInHandle handle, WaveHeader* header) {
  Session* session = OpenSession(handle);
  Slot* slot = FindSlot(handle, header);
  if (session == nullptr || slot == nullptr) return false;
  const bool unprepared = winmm_.waveInUnprepareHeader(session->wave, slot->record, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
  header->flags = slot->record->dwFlags;
  return unprepared;
}

bool WaveInAudioDevice::Add(WaveInHandle handle, WaveHeader* header) {
  Session* session = OpenSession(handle);
  Slot* slot = FindSlot(handle, header);
  if (session == nullptr || slot == nullptr) return false;
  const MMRESULT result = winmm_.waveInAddBuffer(session->wave, slot->record, sizeof(WAVEHDR));
  slot->withDevice = result == MMSYSERR_NOERROR;
  if (!slot->withDevice) lastError_ = "the recording device went away: " + ErrorText(result);
  return slot->withDevice;
}

bool WaveInAudioDevice::Start(WaveInHandle handle) {
  Session* session = OpenSession(handle);
  if (session == nullptr) return false;
  const MMRESULT result = winmm_.waveInStart(session->wave);
  if (result != MMSYSERR_NOERROR) lastError_ = "the recording device went away: " + ErrorText(result);
  return result == MMSYSERR_NOERROR;
}

bool WaveInAudioDevice::Stop(WaveInHandle handle) {
  Session* session = OpenSession(handle);
  return session != nullptr && winmm_.waveInStop(session->wave) == MMSYSERR_NOERROR;
}

bool WaveInAudioDevice::Reset(WaveInHandle handle) {
  Session* session = OpenSession(handle);
  return session != nullptr && winmm_.waveInReset(session->wave) == MMSYSERR_NOERROR;
}

bool WaveInAudioDevice::Close(WaveInHandle handle) {
  Session* session = OpenSession(handle);
  if (session == nullptr || winmm_.waveInClose(session->wave) != MMSYSERR_NOERROR) return false;
  ++ownClosesDue_;
  session->open = false;
  session->wave = nullptr;
  // Buffers the caller holds are done with; those the reset handed back are released
  // once their messages have been handled.
  for (Slot& slot : slots_) {
    if (slot.record != nullptr && slot.session == handle && !slot.withDevice) ReleaseSlot(slot);
  }
  return true;
}

bool WaveInAudioDevice::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == MM_WIM_CLOSE) {
    // The system posts one for each close of ours too; those come first in the queue's
    // order and say nothing. Another one, of a capture still open here, is the device
    // going away.
    if (ownClosesDue_ > 0) {
      --ownClosesDue_;
      return true;
    }
    const auto wave = reinterpret_cast<HWAVEIN>(wParam);
    for (const Session& session : sessions_) {
      if (session.open && session.wave == wave) {
        lastError_ = "the recording device went away";
        return true;
      }
    }
    return false;
  }
  if (message != MM_WIM_DATA) return false;
  // Only a record of this device is read; the device handle carried in wParam is not
  // needed.
  const auto* record = reinterpret_cast<const WAVEHDR*>(lParam);
  Slot* found = nullptr;
  for (Slot& slot : slots_) {
    if (record != nullptr && slot.record == record) found = &slot;
  }
  if (found == nullptr) return false;
  Slot& slot = *found;
  slot.withDevice = false;
  slot.header->bytesRecorded = record->dwBytesRecorded;
  slot.header->flags = record->dwFlags;
  const Session& session = sessions_[slot.session];
  session.listener->OnWaveInData(slot.header);
  if (!session.open && slot.record != nullptr && !slot.withDevice) ReleaseSlot(slot);
  return true;
}

WaveInAudioDevice::Session* WaveInAudioDevice::OpenSession(WaveInHandle handle) {
  if (handle < 0 || handle >= kSessions || !sessions_[handle].open) return nullptr;
  return &sessions_[handle];
}

WaveInAudioDevice::Slot* WaveInAudioDevice::FindSlot(int session, const WaveHeader* header) {
  for (Slot& slot : slots_) {
    if (slot.record != nullptr && slot.session == session && slot.header == header) return &slot;
  }
  return nullptr;
}

WaveInAudioDevice::Slot* WaveInAudioDevice::BindSlot(int session, WaveHeader* header) {
  if (Slot* slot = FindSlot(session, header)) return slot;
  for (Slot& slot : slots_) {
    if (slot.record != nullptr) continue;
    slot.record = static_cast<WAVEHDR*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(WAVEHDR)));
    if (slot.record == nullptr) return nullptr;
    slot.header = header;
    slot.session = session;
    slot.withDevice = false;
    return &slot;
  }
  return nullptr;
}

void WaveInAudioDevice::ReleaseSlot(Slot& slot) {
  HeapFree(GetProcessHeap(), 0, slot.record);
  slot = Slot{};
}

bool WaveInAudioDevice::SessionInUse(int session) const {
  for (const Slot& slot : slots_) {
    if (slot.record != nullptr && slot.session == session) return true;
  }
  return false;
}

}  // namespace corvane
