#pragma once
// File names as bytes. A Linux file name is any string of bytes; a QString holds only valid
// text, so names that are not UTF-8 lose bytes on the way into one. The program therefore
// keeps the bytes of a name for opening and saving, and uses a QString only to show it.
#include <QString>

#include <string>

namespace platform {

// The name as shown: invalid bytes replaced by U+FFFD.
QString ShownFileName(const std::string& bytes);

// The bytes of the file a dialog answered with. Qt shows a name that is not UTF-8 with
// U+FFFD in place of the invalid bytes, and its UTF-8 then names no file; such a name is
// matched, folder by folder, against the entries as shown, and the real entry's bytes are
// taken. Parts that match no entry (the new file of a save) are taken as UTF-8.
std::string FileNameBytes(const QString& chosen);

} // namespace platform
