#pragma once
// Failures of the install tool's steps, told as "STEP failed: WINDOWS' TEXT (error N)".

#include <windows.h>

#include <string>

namespace corvane::driver {

// Windows' own text for an error code, without its line end; "error 0x…" when it has none.
std::string WindowsText(DWORD error);

// "STEP failed: TEXT (error N)" for GetLastError() as it stands.
std::string StepFailed(const std::string& step);
std::string StepFailed(const std::string& step, DWORD error);

}  // namespace corvane::driver
