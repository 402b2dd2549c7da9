#pragma once
// Writes a whole file so that the target is never left half written: the content goes to a
// temporary file in the same folder, which is then renamed over the target. On failure the
// old file stays as it was and no temporary file remains.

#include <string>

bool ReplaceFileContents(const std::string& path, const std::string& content);
