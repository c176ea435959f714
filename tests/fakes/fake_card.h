#pragma once
// The controls of a sound card that exists only in the test program. An ALSA control
// plugin (fake_card_ctl_plugin.cpp), loaded by ALSA from the test's configuration,
// serves them; the test reads and changes them here.

#include <string>
#include <vector>

namespace corvane::testing {

struct FakeCardControl {
  enum Type { kInteger, kBoolean, kEnumerated };
  std::string name;  // the control's full name, as "Mic Capture Volume"
  Type type = kInteger;
  long min = 0;
  long max = 0;
  std::vector<std::string> items;  // an enumerated control's item names
  std::vector<long> values;        // one per channel
  unsigned index = 0;              // the control's index, as 1 for "Capture Volume",1
  bool inactive = false;           // the driver has turned it off for now
};

}  // namespace corvane::testing

// Defined by the test program, found by the plugin when ALSA loads it.
extern "C" std::vector<corvane::testing::FakeCardControl>& CorvaneFakeCardControls();
