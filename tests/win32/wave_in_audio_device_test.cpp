// Capture over the wave-in backend, against a fake of the winmm wave-in functions that
// fills buffers and posts MM_WIM_DATA as the system does: the calls, their order and
// record sizes, the window messages, and no record made per buffer.
#include "platform/win32/wave_in_audio_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "audio/capture.h"
#include "decode/signal_path.h"

namespace corvane {
namespace {

using Strings = std::vector<std::string>;

// The system's side of one wave-in device.
struct FakeWaveIn {
  const HWAVEIN handle = reinterpret_cast<HWAVEIN>(static_cast<ULONG_PTR>(0xAB00));
  bool failOpen = false;
  bool open = false;
  HWND window = nullptr;
  std::deque<WAVEHDR*> queue;
  std::set<const WAVEHDR*> records;  // every record the device was handed
  Strings calls;
  Strings faults;

  static FakeWaveIn*& Current() {
    static FakeWaveIn* current = nullptr;
    return current;
  }
  FakeWaveIn() { Current() = this; }
  ~FakeWaveIn() { Current() = nullptr; }

  // The device fills the oldest queued buffer with `bytes` bytes and announces it.
  void Fill(DWORD bytes) {
    ASSERT_FALSE(queue.empty());
    WAVEHDR* record = queue.front();
    queue.pop_front();
    std::memset(record->lpData, 0x11, bytes);
    Done(record, bytes);
  }
  void Done(WAVEHDR* record, DWORD bytes) {
    record->dwBytesRecorded = bytes;
    record->dwFlags = (record->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    PostMessageA(window, MM_WIM_DATA, reinterpret_cast<WPARAM>(handle), reinterpret_cast<LPARAM>(record));
  }

  static FakeWaveIn& Fake() { return *Current(); }
  static MMRESULT Checked(HWAVEIN wave, const char* call) {
    Fake().calls.push_back(call);
    if (wave != Fake().handle) Fake().faults.push_back(std::string(call) + ": not the device's handle");
    return Fake().open ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
  }
  static MMRESULT Record(HWAVEIN wave, WAVEHDR* record, UINT size, const char* call) {
    if (size != sizeof(WAVEHDR)) Fake().faults.push_back(std::string(call) + ": size " + std::to_string(size));
    Fake().records.insert(record);
    return Checked(wave, call);
  }

  static MMRESULT WINAPI Open(LPHWAVEIN wave, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback, DWORD_PTR instance,
                              DWORD flags) {
    FakeWaveIn& f = Fake();
    f.calls.push_back("open");
    const bool asked = id == WAVE_MAPPER && instance == 0 && flags == CALLBACK_WINDOW && format->wFormatTag == 1 &&
                       format->nChannels == 1 && format->nSamplesPerSec == 48000 &&
                       format->nAvgBytesPerSec == 96000 && format->nBlockAlign == 2 && format->wBitsPerSample == 16 &&
                       format->cbSize == 0;
    if (!asked) f.faults.push_back("open: not the default device, 16-bit mono 48 kHz, to a window");
    if (f.failOpen) return MMSYSERR_BADDEVICEID;
    f.window = reinterpret_cast<HWND>(callback);
    f.open = true;
    *wave = f.handle;
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Prepare(HWAVEIN wave, LPWAVEHDR record, UINT size) {
    const MMRESULT result = Record(wave, record, size, "prepare");
    if (result == MMSYSERR_NOERROR) record->dwFlags |= WHDR_PREPARED;
    return result;
  }
  static MMRESULT WINAPI Unprepare(HWAVEIN wave, LPWAVEHDR record, UINT size) {
    const MMRESULT result = Record(wave, record, size, "unprepare");
    if (result == MMSYSERR_NOERROR) record->dwFlags &= ~WHDR_PREPARED;
    return result;
  }
  static MMRESULT WINAPI Add(HWAVEIN wave, LPWAVEHDR record, UINT size) {
    MMRESULT result = Record(wave, record, size, "add");
    if (result != MMSYSERR_NOERROR) return result;
    if ((record->dwFlags & WHDR_PREPARED) == 0 || record->dwBufferLength != 2000) {
      Fake().faults.push_back("add: not a prepared 2000-byte buffer");
      return WAVERR_UNPREPARED;
    }
    record->dwFlags = (record->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    Fake().queue.push_back(record);
    return MMSYSERR_NOERROR;
  }
  static MMRESULT WINAPI Start(HWAVEIN wave) { return Checked(wave, "start"); }
  static MMRESULT WINAPI Stop(HWAVEIN wave) { return Checked(wave, "stop"); }
  static MMRESULT WINAPI Reset(HWAVEIN wave) {
    const MMRESULT result = Checked(wave, "reset");
    // Every queued buffer comes back, each with its message.
    while (!Fake().queue.empty()) {
      Fake().Done(Fake().queue.front(), 0);
      Fake().queue.pop_front();
    }
    return result;
  }
  static MMRESULT WINAPI Close(HWAVEIN wave) {
    const MMRESULT result = Checked(wave, "close");
    if (!Fake().queue.empty()) return WAVERR_STILLPLAYING;
    Fake().open = false;
    if (result == MMSYSERR_NOERROR) Fake().PostClose();
    return result;
  }
  // The system's notice that the capture closed, after the caller's close or when the
  // device went away.
  void PostClose() { PostMessageA(window, MM_WIM_CLOSE, reinterpret_cast<WPARAM>(handle), 0); }
  static WaveInFunctions Functions() { return {&Open, &Prepare, &Unprepare, &Add, &Start, &Stop, &Reset, &Close}; }
};

// A window of the program's own whose procedure hands MM_WIM_DATA to the device, as the
// property window does.
class TestWindow {
 public:
  TestWindow() {
    WNDCLASSEXA description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = &Proc;
    description.hInstance = GetModuleHandleA(nullptr);
    description.lpszClassName = "CorvaneTestWaveWindow";
    RegisterClassExA(&description);
    handle = CreateWindowExA(0, description.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             description.hInstance, nullptr);
  }
  ~TestWindow() { DestroyWindow(handle); }
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (device != nullptr && device->HandleMessage(message, wParam, lParam)) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  static void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  HWND handle = nullptr;
  static inline WaveInAudioDevice* device = nullptr;
};

// The window's handler: the buffer through the program's path.
struct Handler : WaveInListener {
  Handler(TInputControl& rx, AudioDevice& device) : rx(rx), device(device) {}
  void OnWaveInData(WaveHeader* header) override {
    bytes.push_back(header->bytesRecorded);
    ProcessBuffer(rx, device, path, header);
  }
  TInputControl& rx;
  AudioDevice& device;
  SignalPath path;
  std::vector<std::uint32_t> bytes;
};

class WaveInAudioDeviceTest : public ::testing::Test {
 protected:
  void TearDown() override {
    TestWindow::device = nullptr;
    EXPECT_EQ(fake.faults, Strings{});
  }
  FakeWaveIn fake;
  TestWindow window;
  WaveInAudioDevice device{window.handle, FakeWaveIn::Functions()};
  std::unique_ptr<TInputControl> rx = CreateInputControl();
  std::unique_ptr<Handler> handler = std::make_unique<Handler>(*rx, device);
};

TEST_F(WaveInAudioDeviceTest, StartsInOrderFeedsEachBufferBackAndStopsInOrder) {
  TestWindow::device = &device;
  StartInput(*rx, device, handler.get());
  EXPECT_EQ(fake.calls, (Strings{"open", "prepare", "prepare", "add", "add", "start"}));
  EXPECT_EQ(fake.window, window.handle);
  EXPECT_EQ(device.LastError(), "");
  ASSERT_EQ(fake.records.size(), 2u);
  for (const WAVEHDR* record : fake.records) {
    EXPECT_EQ(HeapSize(GetProcessHeap(), 0, record), sizeof(WAVEHDR)) << "a record of the process heap";
  }

  fake.calls.clear();
  for (int i = 0; i < 10; ++i) {
    fake.Fill(i == 3 ? 1001 : 2000);
    TestWindow::Pump();
  }
  EXPECT_EQ(handler->bytes.size(), 10u);
  EXPECT_EQ(handler->bytes[3], 1001u);
  EXPECT_EQ(fake.records.size(), 2u) << "the same two records circulate";
  EXPECT_EQ(fake.calls.size(), 30u);
  EXPECT_EQ(Strings(fake.calls.begin(), fake.calls.begin() + 3), (Strings{"unprepare", "prepare", "add"}));

  fake.calls.clear();
  StopInput(*rx, device);
  EXPECT_EQ(fake.calls, (Strings{"stop", "reset", "close"}));
  // The buffers the reset handed back arrive after the stop and are handled as any other;
  // nothing reaches the closed device.
  TestWindow::Pump();
  EXPECT_EQ(handler->bytes.size(), 12u);
  EXPECT_EQ(handler->bytes.back(), 0u);
  EXPECT_EQ(fake.calls, (Strings{"stop", "reset", "close"}));
  EXPECT_EQ(rx->RetiredBuffers, nullptr) << "every buffer freed";

  // A second start works as the first, on new buffers.
  fake.calls.clear();
  StartInput(*rx, device, handler.get());
  EXPECT_EQ(fake.calls, (Strings{"open", "prepare", "prepare", "add", "add", "start"}));
  StopInput(*rx, device);
  TestWindow::Pump();
}

TEST_F(WaveInAudioDeviceTest, WithoutADeviceNothingReachesTheSystemAfterTheOpen) {
  fake.failOpen = true;
  StartInput(*rx, device, handler.get());
  EXPECT_TRUE(rx->Running) << "input counts as running, as the button says";
  EXPECT_EQ(rx->WaveIn, kInvalidWaveIn);
  EXPECT_NE(device.LastError().find("cannot open the recording device: "), std::string::npos) << device.LastError();
  StopInput(*rx, device);
  EXPECT_EQ(fake.calls, Strings{"open"});

  fake.failOpen = false;
  fake.calls.clear();
  StartInput(*rx, device, handler.get());
  EXPECT_EQ(device.LastError(), "");
  EXPECT_EQ(fake.calls, (Strings{"open", "prepare", "prepare", "add", "add", "start"}));
  StopInput(*rx, device);
  TestWindow::device = &device;
  TestWindow::Pump();
}

// A device that goes away while recording is told through LastError, whether the system
// says so with its close notice or by refusing the next buffer; the caller's own stop is
// not, and a new start that opens clears it.
TEST_F(WaveInAudioDeviceTest, ADeviceThatGoesAwayIsToldAndANewStartClearsIt) {
  TestWindow::device = &device;
  StartInput(*rx, device, handler.get());
  StopInput(*rx, device);
  StartInput(*rx, device, handler.get());
  TestWindow::Pump();
  EXPECT_EQ(device.LastError(), "") << "the close notice of our own stop says nothing";

  fake.PostClose();
  TestWindow::Pump();
  EXPECT_EQ(device.LastError(), "the recording device went away");
  StopInput(*rx, device);
  StartInput(*rx, device, handler.get());
  TestWindow::Pump();
  EXPECT_EQ(device.LastError(), "");

  // Gone without a notice: the buffer handed back is refused when it is added again.
  fake.open = false;
  fake.Fill(2000);
  TestWindow::Pump();
  EXPECT_NE(device.LastError().find("the recording device went away: "), std::string::npos)
      << device.LastError();
  fake.open = true;
  StopInput(*rx, device);
  StartInput(*rx, device, handler.get());
  EXPECT_EQ(device.LastError(), "");
  StopInput(*rx, device);
  TestWindow::Pump();
}

TEST_F(WaveInAudioDeviceTest, OnlyItsOwnBufferMessagesAreHandled) {
  WAVEHDR stranger{};
  EXPECT_FALSE(device.HandleMessage(WM_TIMER, 0, 0));
  EXPECT_FALSE(device.HandleMessage(MM_WIM_DATA, 0, reinterpret_cast<LPARAM>(&stranger)));
  EXPECT_FALSE(device.HandleMessage(MM_WIM_DATA, 0, 0));
  EXPECT_TRUE(handler->bytes.empty());
}

}  // namespace
}  // namespace corvane
