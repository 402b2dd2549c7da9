#pragma once
// For fuzz targets of readers that take a file name: the input written to a file of this
// process's own in the temporary folder, removed when the process ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace fuzz {

class TempFile {
public:
    explicit TempFile(const char* name)
    {
        const char* folder = std::getenv("TMPDIR");
        m_path = std::string(folder && *folder ? folder : "/tmp") + "/orvanta_fuzz_" + std::to_string(::getpid()) + "_" + name;
    }
    ~TempFile() { std::remove(m_path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return m_path; }
    // Replaces the file's content; aborts when it cannot (no run may test a stale file).
    void Write(const void* data, std::size_t size) const
    {
        std::FILE* f = std::fopen(m_path.c_str(), "wb");
        if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0)
            std::abort();
    }

private:
    std::string m_path;
};

} // namespace fuzz
