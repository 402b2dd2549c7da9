#pragma once
// Whole files in and out. Reading takes every byte of a regular file. Writing never leaves the
// target half written: the content goes to a temporary file in the same folder, which is then
// renamed over the target; on failure the old file stays as it was and no temporary file
// remains.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Every byte of a regular file, in memory of its own: large files are read into huge pages,
// which saves most of the page faults a plain buffer of that size costs.
class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // Reads the whole file at path. False, and no bytes, for a missing file, a folder,
    // anything else that is not a regular file, and a read error.
    bool Read(const std::string& path);
    std::string_view View() const { return {m_data, m_size}; }

private:
    void Release();
    // Room for at least capacity bytes, the bytes read so far kept; false when out of memory.
    bool Grow(std::size_t capacity);

    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// True when path now holds content. False for an empty path and for any failed step
// (create, write, permissions, fsync, close, rename).
bool ReplaceFileContents(const std::string& path, const std::string& content);

} // namespace platform
