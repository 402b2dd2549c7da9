#include "platform/picture_file.h"

#include "platform/regular_file.h"

#include <QFile>
#include <QImageReader>

#include <unistd.h>

namespace platform {

QImage ReadPictureFile(const std::string& path)
{
    const int fd = OpenRegularFile(path.c_str());
    if (fd < 0)
        return {};
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    // The format comes from the bytes: the reader has no file name to go by.
    QImageReader reader(&file);
    return reader.read();
}

} // namespace platform
