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

    // Largest file Read takes by default. The text loaders hold a whole file and what they
    // make of it in memory; a larger file is no spectra or script file anyone wrote.
    static constexpr std::size_t kMaxBytes = std::size_t(1) << 30;

    // Reads the whole file at path. False, and no bytes, for a missing file, a folder,
    // anything else that is not a regular file (NotRegularFile() then tells so; a pipe is
    // refused at once, never waited on), a read error, and a file of more than maxBytes
    // (TooLarge() then tells so; nothing beyond maxBytes is read).
    bool Read(const std::string& path, std::size_t maxBytes = kMaxBytes);
    std::string_view View() const { return {m_data, m_size}; }
    // True when the last Read refused the file for its size.
    bool TooLarge() const { return m_tooLarge; }
    // True when the last Read refused a folder, pipe, socket or device.
    bool NotRegularFile() const { return m_notRegular; }

private:
    void Release();
    // Room for at least capacity bytes, the bytes read so far kept; false when out of memory.
    bool Grow(std::size_t capacity);

    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    bool m_tooLarge = false;
    bool m_notRegular = false;
};

// True when path now holds content. False for an empty path and for any failed step
// (create, write, permissions, fsync, close, rename).
bool ReplaceFileContents(const std::string& path, const std::string& content);

// The same for a file written in pieces: text appended to Text() goes to the temporary file
// in blocks (Spill, Commit), so a large file needs no buffer of its size. Without a
// successful Commit the temporary file is removed and the file at path stays as it was.
class FileReplacement {
public:
    // Creates the temporary file; Ok() tells whether that worked (never for an empty path).
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // False once creating or writing the temporary file failed.
    bool Ok() const { return m_fd >= 0 && m_ok; }
    // The text not yet written.
    std::string& Text() { return m_text; }
    // Writes the text not yet written, then bytes.
    void Write(std::string_view bytes);
    // Writes the text's whole blocks once it holds one; the rest stays for the next. Writes
    // of whole blocks at block offsets cost the file system least.
    void Spill()
    {
        if (m_text.size() >= kBlock)
            Flush(m_text.size() / kBlock * kBlock);
    }
    // Writes the rest, then permissions, fsync, close, rename: true when path now holds every
    // byte appended.
    bool Commit();

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    // Writes the first bytes of the text and drops them from it.
    void Flush(std::size_t bytes);

    std::string m_path;
    std::string m_tmpPath;
    std::string m_text;
    int m_fd = -1;
    bool m_ok = true;
};

} // namespace platform
