#pragma once
// The install tool's three commands. Each prints what it did or found to `out`, one line a
// step; a failed step ends the command with its error set.

#include <cstdio>
#include <string>

namespace corvane::driver {

// Stages the joystick's INF file, makes the bus's root device (unless there is one) and
// installs the bus driver on it, all from the package in `folder`.
bool InstallPackage(const std::string& folder, std::FILE* out, std::string& error);

// Removes the joysticks and the bus device, both staged INF files, both services and
// both driver images.
bool RemovePackage(std::FILE* out, std::string& error);

// One line for each part; true only when the bus runs.
bool PrintStatus(std::FILE* out);

}  // namespace corvane::driver
