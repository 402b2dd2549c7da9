#include "platform/file_contents.h"

#include "platform/regular_file.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <utility>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, std::string_view content)
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

namespace platform {

FileBytes::~FileBytes() { Release(); }

FileBytes::FileBytes(FileBytes&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_capacity(std::exchange(other.m_capacity, 0))
    , m_tooLarge(std::exchange(other.m_tooLarge, false))
    , m_notRegular(std::exchange(other.m_notRegular, false))
{
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept
{
    if (this != &other) {
        Release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_tooLarge = std::exchange(other.m_tooLarge, false);
        m_notRegular = std::exchange(other.m_notRegular, false);
    }
    return *this;
}

void FileBytes::Release()
{
    if (m_data)
        ::munmap(m_data, m_capacity);
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
}

bool FileBytes::Grow(std::size_t capacity)
{
    constexpr std::size_t kPage = 4096;
    capacity = (capacity + kPage - 1) / kPage * kPage;
    void* memory = m_data ? ::mremap(m_data, m_capacity, capacity, MREMAP_MAYMOVE)
                          : ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return false;
    // Only a hint: without huge pages the bytes are read all the same.
    ::madvise(memory, capacity, MADV_HUGEPAGE);
    m_data = static_cast<char*>(memory);
    m_capacity = capacity;
    return true;
}

bool FileBytes::Read(const std::string& path, std::size_t maxBytes)
{
    Release();
    m_tooLarge = false;
    FileRefusal refusal = FileRefusal::None;
    const int fd = OpenRegularFile(path.c_str(), &refusal);
    m_notRegular = refusal == FileRefusal::NotRegular;
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    m_tooLarge = ok && static_cast<std::uintmax_t>(st.st_size) > maxBytes;
    ok = ok && !m_tooLarge && Grow(static_cast<std::size_t>(st.st_size) + 1);
    while (ok) {
        // The file may have grown since fstat: read until its end, but no more than one byte
        // beyond maxBytes.
        if (m_size > maxBytes) {
            m_tooLarge = true;
            ok = false;
            break;
        }
        if (m_size == m_capacity && !Grow(std::min(2 * m_capacity, maxBytes + 1))) {
            ok = false;
            break;
        }
        const ssize_t n = ::read(fd, m_data + m_size, m_capacity - m_size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        m_size += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (!ok)
        Release();
    return ok;
}

bool ReplaceFileContents(const std::string& path, const std::string& content)
{
    FileReplacement file(path);
    file.Write(content);
    return file.Commit();
}

FileReplacement::FileReplacement(const std::string& path)
    : m_path(path)
{
    if (!path.empty())
        m_fd = CreateTemporary(path, m_tmpPath);
    // Room for what stays after a spill and the piece that follows it.
    if (m_fd >= 0)
        m_text.reserve(2 * kBlock);
}

FileReplacement::~FileReplacement()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        std::remove(m_tmpPath.c_str());
    }
}

void FileReplacement::Flush(std::size_t bytes)
{
    if (Ok())
        m_ok = WriteAll(m_fd, std::string_view(m_text).substr(0, bytes));
    m_text.erase(0, bytes);
}

void FileReplacement::Write(std::string_view bytes)
{
    Flush(m_text.size());
    if (Ok())
        m_ok = WriteAll(m_fd, bytes);
}

bool FileReplacement::Commit()
{
    Flush(m_text.size());
    if (m_fd < 0)
        return false;
    bool ok = m_ok;
    // A replaced file keeps its permissions.
    struct stat st {};
    if (ok && ::stat(m_path.c_str(), &st) == 0)
        ok = ::fchmod(m_fd, st.st_mode & 07777) == 0;
    ok = ok && ::fsync(m_fd) == 0;
    ok = (::close(m_fd) == 0) && ok;
    m_fd = -1;
    ok = ok && std::rename(m_tmpPath.c_str(), m_path.c_str()) == 0;
    if (!ok)
        std::remove(m_tmpPath.c_str());
    return ok;
}

} // namespace platform
