#include "version/version_option.h"

#include <cstdio>
#include <cstring>

namespace corvane {

const char* ProjectVersion() { return CORVANE_VERSION; }

bool PrintVersionIfAsked(const char* program, int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s %s\n", program, ProjectVersion());
      return true;
    }
  }
  return false;
}

}  // namespace corvane
