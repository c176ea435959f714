#pragma once
// --version, the same in every program: the version of the project it was built from.

namespace corvane {

// The project's version, "MAJOR.MINOR.PATCH".
const char* ProjectVersion();

// When one of the arguments is --version, prints "PROGRAM VERSION" on standard output and
// returns true; the caller then exits with status 0 without looking at the others.
bool PrintVersionIfAsked(const char* program, int argc, const char* const* argv);

}  // namespace corvane
