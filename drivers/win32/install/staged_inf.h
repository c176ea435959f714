#pragma once
// The driver package's INF files as the system keeps them: copied to its INF folder (as
// oemN.inf on Windows, under their own names on Wine), known again by their provider and
// class.

#include <string>
#include <vector>

namespace corvane::driver {

// Copies the INF (with its catalog) into the system's INF folder; `staged` gets its new
// name. A copy already there is kept.
bool StageInf(const std::string& infPath, std::string& staged, std::string& error);

// The names of the staged copies of `infName` (for example "corvane_bus.inf").
std::vector<std::string> StagedCopiesOf(const char* infName);

// Takes a staged copy out of the INF folder again.
bool UnstageInf(const std::string& staged, std::string& error);

}  // namespace corvane::driver
