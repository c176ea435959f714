#include "generated_signal.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "child_process.h"

namespace corvane::systest {

std::vector<std::int16_t> GenerateSignal(const std::string& siggen, const std::vector<std::string>& args) {
  const std::string path = "/tmp/corvane-signal.raw";
  std::vector<std::string> argv{siggen, "--raw"};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.push_back(path);
  const int status = RunChild(argv, std::chrono::seconds(30));
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(siggen + " failed");
  const std::string bytes = ReadFile(path);
  std::vector<std::int16_t> samples(bytes.size() / sizeof(std::int16_t));
  std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(std::int16_t));
  return samples;
}

bool WriteSamples(int fd, const std::int16_t* samples, std::size_t count) {
  const auto* bytes = reinterpret_cast<const char*>(samples);
  std::size_t left = count * sizeof(std::int16_t);
  while (left > 0) {
    const ssize_t written = ::write(fd, bytes, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace corvane::systest
