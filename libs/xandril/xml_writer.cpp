// The writer appends the document to one text buffer as it is built: groups are only ever
// opened new and closed, so write order is document order. A streaming writer hands the
// buffer to its temporary file whenever a block is full.
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <xandril version="1">
//     <group name="Spectrum">
//       <string key="SpecName" comment="...">text</string>
//       <int key="SpecColor" min="0" max="16777215">255</int>
//       <double key="Gain">1.5</double>
//       <doubles key="XVals" count="3">380 381 382</doubles>
//     </group>
//   </xandril>
//
// Names live in attribute values, so any text can be a name. Numbers are written
// with std::to_chars (shortest form that reads back to the same value).
#include "xandril.h"
#include "xml_text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace ns_xandril {

namespace {

constexpr std::string_view kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xandril version=\"1\">\n";
constexpr std::string_view kRootEnd = "</xandril>\n";

// A streaming writer's buffer is written out once it holds this much.
constexpr std::size_t kBlock = std::size_t{1} << 20;

// The blanks before a line at that group level (0 = inside the root).
void appendIndent(std::string& out, int level)
{
    out.append(static_cast<std::size_t>(2 * (std::min(level, kMaxIndentLevel) + 1)), ' ');
}

template <typename T>
void appendNumber(std::string& out, T value)
{
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

bool writeAll(int fd, std::string_view body, std::string_view tail)
{
    iovec parts[2] = {{const_cast<char*>(body.data()), body.size()}, {const_cast<char*>(tail.data()), tail.size()}};
    iovec* part = parts;
    int left = 2;
    while (left > 0) {
        if (part->iov_len == 0) {
            ++part;
            --left;
            continue;
        }
        const ssize_t n = ::writev(fd, part, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        auto done = static_cast<std::size_t>(n);
        while (left > 0 && done >= part->iov_len) {
            done -= part->iov_len;
            ++part;
            --left;
        }
        if (left > 0) {
            part->iov_base = static_cast<char*>(part->iov_base) + done;
            part->iov_len -= done;
        }
    }
    return true;
}

// Creates a new file beside path that no one else uses; -1 on failure.
int createTemporary(const std::string& path, std::string& tmpPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmpPath = path + ".tmp" + std::to_string(::getpid()) + '_' + std::to_string(counter++);
        const int fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

struct XMLWriteModul::Impl {
    std::string out{kHead};
    int depth = 0;

    // Streaming: the temporary file (fd, tmpPath) of the target streamPath.
    int fd = -1;
    std::string streamPath;
    std::string tmpPath;
    bool streamFailed = false;
    bool written = false; // a streamed document was completed (or given up)

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() { dropStream(); }

    void dropStream()
    {
        if (fd < 0)
            return;
        ::close(fd);
        ::unlink(tmpPath.c_str());
        fd = -1;
    }

    // Hands the buffer to the temporary file; a failed write is remembered for writeToFile.
    void flush()
    {
        if (!streamFailed && !writeAll(fd, out, {}))
            streamFailed = true;
        out.clear();
    }

    void flushIfFull()
    {
        if (fd >= 0 && out.size() >= kBlock)
            flush();
    }

    void indent(int level) { appendIndent(out, level); }

    void openKey(std::string_view tag, const std::string& key, const std::string& comment)
    {
        indent(depth);
        out += '<';
        out += tag;
        out += " key=\"";
        detail::appendEscaped(out, key, true);
        out += '"';
        if (!comment.empty()) {
            out += " comment=\"";
            detail::appendEscaped(out, comment, true);
            out += '"';
        }
    }

    void closeKey(std::string_view tag)
    {
        out += "</";
        out += tag;
        out += ">\n";
    }

    template <typename T>
    void numberAttribute(std::string_view name, T value)
    {
        out += ' ';
        out += name;
        out += "=\"";
        appendNumber(out, value);
        out += '"';
    }

    template <typename T>
    void numberKey(std::string_view tag, const std::string& key, const std::string& comment, T value)
    {
        openKey(tag, key, comment);
        out += '>';
        appendNumber(out, value);
        closeKey(tag);
        flushIfFull();
    }
};

XMLWriteModul::XMLWriteModul()
    : m_impl(std::make_unique<Impl>())
{
}

XMLWriteModul::XMLWriteModul(XMLBaseModul&, bool)
    : XMLWriteModul()
{
}

XMLWriteModul::~XMLWriteModul() = default;

bool XMLWriteModul::enterGroup(const std::string& name)
{
    Impl& d = *m_impl;
    d.indent(d.depth);
    d.out += "<group name=\"";
    detail::appendEscaped(d.out, name, true);
    d.out += "\">\n";
    ++d.depth;
    d.flushIfFull();
    return true;
}

bool XMLWriteModul::leaveGroup()
{
    Impl& d = *m_impl;
    if (d.depth == 0)
        return false;
    --d.depth;
    d.indent(d.depth);
    d.out += "</group>\n";
    d.flushIfFull();
    return true;
}

void XMLWriteModul::writeString(const std::string& key, const std::string& comment, const std::string& value)
{
    Impl& d = *m_impl;
    d.openKey("string", key, comment);
    d.out += '>';
    detail::appendEscaped(d.out, value, false);
    d.closeKey("string");
    d.flushIfFull();
}

void XMLWriteModul::writeInt(const std::string& key, const std::string& comment, int value)
{
    m_impl->numberKey("int", key, comment, value);
}

void XMLWriteModul::writeInt(const std::string& key, const std::string& comment, int value, int min, int max)
{
    Impl& d = *m_impl;
    d.openKey("int", key, comment);
    d.numberAttribute("min", min);
    d.numberAttribute("max", max);
    d.out += '>';
    appendNumber(d.out, value);
    d.closeKey("int");
    d.flushIfFull();
}

void XMLWriteModul::writeDouble(const std::string& key, const std::string& comment, double value)
{
    m_impl->numberKey("double", key, comment, value);
}

void XMLWriteModul::write1DDoubleArray(const std::string& key, const std::string& comment, const double* values,
                                       int count)
{
    if (values == nullptr || count < 0)
        count = 0;
    Impl& d = *m_impl;
    d.openKey("doubles", key, comment);
    d.numberAttribute("count", count);
    d.out += '>';
    if (d.fd < 0)
        d.out.reserve(d.out.size() + static_cast<std::size_t>(count) * 24 + 16);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            d.out += ' ';
        appendNumber(d.out, values[i]);
        d.flushIfFull();
    }
    d.closeKey("doubles");
    d.flushIfFull();
}

bool XMLWriteModul::streamToFile(const std::string& path)
{
    Impl& d = *m_impl;
    if (path.empty() || d.fd >= 0 || d.written)
        return false;
    const int fd = createTemporary(path, d.tmpPath);
    if (fd < 0)
        return false;
    d.fd = fd;
    d.streamPath = path;
    d.flush();
    d.out.reserve(kBlock + 4096);
    return true;
}

namespace {

// The end of the file: the groups still open and the root, closed.
std::string closingTail(int depth)
{
    std::string tail;
    for (int level = depth - 1; level >= 0; --level) {
        appendIndent(tail, level);
        tail += "</group>\n";
    }
    tail += kRootEnd;
    return tail;
}

// Gives the temporary file the permissions of the file it replaces, writes body and tail,
// syncs, closes and renames it over path. False (temporary file removed) on any failure.
bool completeFile(int fd, const std::string& tmpPath, const std::string& path, std::string_view body,
                  std::string_view tail, bool ok)
{
    struct stat old {};
    if (ok && ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, body, tail) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tmpPath.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(tmpPath.c_str());
    return ok;
}

} // namespace

bool XMLWriteModul::writeToFile(const std::string& path)
{
    Impl& d = *m_impl;
    if (path.empty() || d.written)
        return false;

    // Groups still open are closed in the file only; the document can grow further.
    const std::string tail = closingTail(d.depth);

    if (d.fd >= 0) {
        // A streamed document is completed in its own temporary file, once.
        if (path != d.streamPath)
            return false;
        const int fd = d.fd;
        d.fd = -1;
        d.written = true;
        const bool ok = completeFile(fd, d.tmpPath, path, d.out, tail, !d.streamFailed);
        d.out.clear();
        return ok;
    }

    std::string tmpPath;
    const int fd = createTemporary(path, tmpPath);
    if (fd < 0)
        return false;
    return completeFile(fd, tmpPath, path, d.out, tail, true);
}

} // namespace ns_xandril
