#pragma once
// Opening a file for reading without ever waiting. A plain open() of a named pipe waits until a
// writer comes, which would freeze the program for a file chosen in a dialog or named on the
// command line; devices and folders are no files to read either. Every reader of the program
// and its libraries opens through OpenRegularFile. Header only and POSIX only, so that the
// libraries below Corvane (Xandril) and the spreadsheet use the same rule.

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

enum class FileRefusal {
    None,       // opened
    CannotOpen, // missing, no permission, ...: errno tells
    NotRegular, // a folder, a pipe, a socket or a device
};

// A descriptor (blocking, close-on-exec) of the regular file at path, or -1. The file is opened
// without waiting (O_NONBLOCK) and judged by fstat on that descriptor, so nothing can swap the
// file between the test and the open; the flag is then cleared. refusal, when not null, tells
// why there is no descriptor (errno is EISDIR for a folder and ENXIO for anything else that is
// not a regular file).
inline int OpenRegularFile(const char* path, FileRefusal* refusal = nullptr) noexcept
{
    auto refuse = [refusal](FileRefusal why) {
        if (refusal)
            *refusal = why;
        return -1;
    };
    if (path == nullptr) {
        errno = ENOENT;
        return refuse(FileRefusal::CannotOpen);
    }
    int fd = -1;
    do
        fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return refuse(FileRefusal::CannotOpen);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return refuse(FileRefusal::CannotOpen);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
        return refuse(FileRefusal::NotRegular);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return refuse(FileRefusal::CannotOpen);
    }
    if (refusal)
        *refusal = FileRefusal::None;
    return fd;
}

} // namespace platform
