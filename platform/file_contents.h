#pragma once
// Whole files in and out. Reading takes every byte of a regular file. Writing never leaves the
// target half written: the content goes to a temporary file in the same folder, which is then
// renamed over the target; on failure the old file stays as it was and no temporary file
// remains.

#include <string>

namespace platform {

// Every byte of the regular file at path. False, with content empty, for a missing file, a
// folder, anything else that is not a regular file and a read error.
bool ReadFileContents(const std::string& path, std::string& content);

// True when path now holds content. False for an empty path and for any failed step
// (create, write, permissions, fsync, close, rename).
bool ReplaceFileContents(const std::string& path, const std::string& content);

} // namespace platform
