#pragma once
// Reading and replacing a small file so that a crash leaves either the old or the new
// contents, never a mix, and never a stray temporary file after a failed write.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace corvane {

enum class ReadResult { kRead, kMissing, kFailed };

// Reads the whole file into `*contents`. kMissing when there is no such file (or a folder
// on its path is missing or is a file); kFailed when it exists but cannot be read, is not
// a regular file, or is larger than `maxBytes`.
ReadResult ReadWholeFile(const std::filesystem::path& path, std::string* contents,
                         std::size_t maxBytes);

// Creates the missing folders (mode 0700), writes `contents` to a new file beside `path`,
// flushes it to disk, renames it over `path` and flushes the folder. A symbolic link at
// `path` is followed, so the file it points to is replaced and the link kept. The old
// file's permission bits carry over; a file this process may not write is not replaced.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents);

}  // namespace corvane
