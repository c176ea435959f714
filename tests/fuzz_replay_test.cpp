// The fuzz targets' seed corpora and the inputs that once failed them (tests/regressions/
// TARGET/), replayed through the targets' checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_checks.h"

namespace corvane::fuzz {
namespace {

namespace fs = std::filesystem;

struct Target {
  const char* name;
  const char* (*check)(const std::uint8_t*, std::size_t);
};

constexpr Target kTargets[] = {
    {"decode_path_fuzz", CheckDecodePath},
    {"wav_reader_fuzz", CheckWavReader},
    {"uinput_request_fuzz", CheckUinputRequest},
    {"reg_file_fuzz", CheckRegFile},
};

// Replays every file of `dir`, if it exists; returns how many there were.
int Replay(const Target& target, const fs::path& dir) {
  if (!fs::is_directory(dir)) return 0;
  int count = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const char* failure = target.check(bytes.data(), bytes.size());
    EXPECT_EQ(std::string(failure != nullptr ? failure : ""), "") << entry.path();
    ++count;
  }
  return count;
}

TEST(FuzzReplay, SeedsAndRegressionsPassTheirChecks) {
  const fs::path root = CORVANE_SOURCE_DIR;
  for (const Target& target : kTargets) {
    SCOPED_TRACE(target.name);
    EXPECT_GT(Replay(target, root / "fuzz" / "corpus" / target.name), 0) << "every target has seeds";
    Replay(target, root / "tests" / "regressions" / target.name);
  }
}

}  // namespace
}  // namespace corvane::fuzz
