#pragma once
// Pictures read from files, by the one rule for opening a file to read (regular_file.h).

#include <QImage>

#include <string>

namespace platform {

// The picture in the file at path (its name in bytes, as the system has it); a null image for
// a file that holds no picture Qt can read, one beyond QImageReader's allocation limit, and
// anything that is no regular file (a pipe is refused at once, never waited on).
QImage ReadPictureFile(const std::string& path);

} // namespace platform
