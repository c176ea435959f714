// Reads an evdev node (/dev/input/eventN) and keeps the axis and key state its reports leave.
#pragma once

#include <linux/input.h>

#include <array>
#include <bitset>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace corvane::systest {

// A report is every event up to a SYN_REPORT of value 0. The kernel passes at most a handful
// of events at once (14 for a device with 6 axes and 10 buttons) and splits a larger report
// into packets, each but the last ended by a SYN_REPORT of value 1: those are not a report's end.
class EvdevReader {
 public:
  explicit EvdevReader(const std::string& path);  // throws std::system_error
  ~EvdevReader();
  EvdevReader(const EvdevReader&) = delete;
  EvdevReader& operator=(const EvdevReader&) = delete;

  std::string Name() const;
  input_id Id() const;
  std::vector<int> AbsAxes() const;  // the axis codes the device reports, ascending
  std::vector<int> Keys() const;     // the key and button codes, ascending
  input_absinfo AbsInfo(int code) const;

  // Waits up to TIMEOUT for the end of the next report and applies its events; false when
  // it did not end in time (the events read so far are applied all the same).
  bool ReadReport(std::chrono::milliseconds timeout);

  int Abs(int code) const { return abs_.at(code); }
  bool Key(int code) const { return keys_.test(code); }
  int PacketsInLastReport() const { return packets_; }

 private:
  void Apply(const input_event& event);
  void LoadState();  // from the driver, at start and after it dropped events
  bool NextEvent(input_event& event, std::chrono::steady_clock::time_point deadline);

  int fd_;
  std::array<int, ABS_CNT> abs_{};
  std::bitset<KEY_CNT> keys_;
  int packets_ = 0;
  bool dropping_ = false;
  std::array<input_event, 64> buffer_{};
  std::size_t next_ = 0;
  std::size_t count_ = 0;
};

}  // namespace corvane::systest
