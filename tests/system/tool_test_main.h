// The command line of the system tests that run corvane-decode and corvane-siggen:
//   PROGRAM CORVANE-DECODE CORVANE-SIGGEN [gtest options]
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace corvane::systest {

// Takes GoogleTest's options and the two tools' paths, then runs every test; 2 when the
// command line is wrong.
inline int RunToolTests(int argc, char** argv, std::string& decode, std::string& siggen) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s CORVANE-DECODE CORVANE-SIGGEN [gtest options]\n", argv[0]);
    return 2;
  }
  decode = argv[1];
  siggen = argv[2];
  return RUN_ALL_TESTS();
}

}  // namespace corvane::systest
