#include "engine/replace_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const std::string& content)
{
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Creates a new file beside path; new files get 0666 less the umask, like any other.
int CreateTemporary(const std::string& path, std::string& tmpPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmpPath = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

bool ReplaceFileContents(const std::string& path, const std::string& content)
{
    if (path.empty())
        return false;
    std::string tmpPath;
    const int fd = CreateTemporary(path, tmpPath);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, content);
    // A replaced file keeps its permissions.
    struct stat st {};
    if (ok && ::stat(path.c_str(), &st) == 0)
        ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(tmpPath.c_str(), path.c_str()) == 0;
    if (!ok)
        std::remove(tmpPath.c_str());
    return ok;
}
