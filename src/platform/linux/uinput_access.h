#pragma once
// Whether the uinput device can be used, and the one line that tells the user why not.

#include <cstdio>
#include <string>

namespace corvane {

inline constexpr char kUinputPath[] = "/dev/uinput";

// The errno of opening `path` for reading and writing, or 0 when it opens.
int ProbeUinput(const char* path);

// One line (no newline) that names why there is no joystick — missing module or no
// permission, with the system's error text — and points to README.md.
std::string UinputUnavailableMessage(int error, const char* path);

// Probes `path`; when it cannot be opened, prints the line on `out`. The program runs on
// without a joystick either way. Returns whether the device can be opened.
bool CheckUinputAccess(const char* path = kUinputPath, std::FILE* out = stderr);

}  // namespace corvane
