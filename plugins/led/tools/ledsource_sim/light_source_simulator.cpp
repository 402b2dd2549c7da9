#include "light_source_simulator.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace {

constexpr std::uint8_t kAccepted = 0xE0;
constexpr std::uint8_t kRefused = 0xE1;
// Bytes a name sends when it never ends: far more than any host reads as a name.
constexpr std::size_t kEndlessNameBytes = 1000;

// Bytes of a whole request; 0 for a byte that starts none.
std::size_t RequestSize(std::uint8_t command)
{
    switch (command) {
    case 0xC0:
    case 0xCC:
        return 1;
    case 0xC1:
    case 0xCD:
    case 0xCE:
        return 3;
    case 0xC2:
        return 5;
    case 0xC3:
        return 7;
    default:
        return 0;
    }
}

int Index(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

float FloatOf(const std::uint8_t* p)
{
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void PutFloat(std::vector<std::uint8_t>& out, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>((bits >> (8 * i)) & 0xFF));
}

bool IsDrifting(const LightSourceSimulator::Row& row)
{
    return (row.flags & 1) && row.name.rfind("Sensor", 0) == 0 && row.name != "SensorDiv";
}

} // namespace

std::vector<LightSourceSimulator::Row> LightSourceSimulator::DefaultRows()
{
    std::vector<Row> rows;
    for (int i = 1; i <= 7; ++i)
        rows.push_back({"Sensor" + std::to_string(i), 1, 10.0f * static_cast<float>(i)});
    for (int i = 1; i <= 6; ++i)
        rows.push_back({"Lightness" + std::to_string(i), 0, 0.5f});
    rows.push_back({"SensorDiv", 1, 8.000742f});
    rows.push_back({"Temperatur der LED-Platine, Mittelwert aller Kanäle", 1, 25.0f});
    rows.push_back({"Kalibrierfaktor", 0, 2.2979157f});
    return rows;
}

LightSourceSimulator::LightSourceSimulator(std::vector<Row> rows)
    : m_rows(std::move(rows))
{
    if (openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0)
        return;
    // The slave is raw from the start and stays open here (never read), so the line neither
    // cooks bytes before the host sets it up nor hangs up when the host closes it.
    termios raw{};
    char name[128] = {};
    if (tcgetattr(m_slave, &raw) != 0 || (cfmakeraw(&raw), tcsetattr(m_slave, TCSANOW, &raw)) != 0 ||
        ptsname_r(m_master, name, sizeof name) != 0 || pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        Close();
        ::close(m_slave);
        m_slave = -1;
        return;
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_portName = name;
    m_thread = std::thread([this] { Serve(); });
}

LightSourceSimulator::~LightSourceSimulator()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    Wake();
    if (m_thread.joinable())
        m_thread.join();
    Close();
    if (m_slave >= 0)
        ::close(m_slave);
    for (int fd : m_wake)
        if (fd >= 0)
            ::close(fd);
}

void LightSourceSimulator::Wake()
{
    if (m_wake[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
    }
}

void LightSourceSimulator::Close()
{
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

void LightSourceSimulator::SetFaults(const Faults& faults)
{
    std::lock_guard lock(m_mutex);
    m_faults = faults;
    m_pingInGroup = 0;
    m_pingGroup = 1;
}

void LightSourceSimulator::SetPaced(bool paced)
{
    std::lock_guard lock(m_mutex);
    m_paced = paced;
}

std::vector<LightSourceSimulator::Request> LightSourceSimulator::Requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void LightSourceSimulator::ClearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

bool LightSourceSimulator::WaitFor(const std::function<bool(const std::vector<Request>&)>& done,
                                   std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return done(m_requests); });
}

bool LightSourceSimulator::WaitForCommand(std::uint8_t command, int count, std::chrono::milliseconds timeout) const
{
    return WaitFor(
        [command, count](const std::vector<Request>& requests) {
            return std::count_if(requests.begin(), requests.end(),
                                 [command](const Request& r) { return r.command == command; }) >= count;
        },
        timeout);
}

float LightSourceSimulator::Value(int index) const
{
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < static_cast<int>(m_rows.size()) ? m_rows[static_cast<std::size_t>(index)].value
                                                                  : 0.0f;
}

void LightSourceSimulator::SetRowValue(int index, float value)
{
    std::lock_guard lock(m_mutex);
    if (index >= 0 && index < static_cast<int>(m_rows.size()))
        m_rows[static_cast<std::size_t>(index)].value = value;
}

void LightSourceSimulator::SendNoise(std::vector<std::uint8_t> bytes)
{
    {
        std::lock_guard lock(m_mutex);
        m_noise.insert(m_noise.end(), bytes.begin(), bytes.end());
    }
    Wake();
}

void LightSourceSimulator::CloseLine()
{
    {
        std::lock_guard lock(m_mutex);
        m_closeRequested = true;
    }
    Wake();
}

bool LightSourceSimulator::WaitForHostInput(std::chrono::milliseconds timeout) const
{
    pollfd fd{m_slave, POLLIN, 0};
    // A line whose device side closed reads as hung up, which the host sees as input too.
    return m_slave >= 0 && ::poll(&fd, 1, static_cast<int>(timeout.count())) == 1 &&
           (fd.revents & (POLLIN | POLLHUP));
}

bool LightSourceSimulator::LineSettings(termios& settings) const
{
    return m_slave >= 0 && tcgetattr(m_slave, &settings) == 0;
}

void LightSourceSimulator::Pause(Clock::time_point until)
{
    // A timed wait wakes up tens of microseconds late, which a paced ping (about 1 ms on the
    // line) would show as lost line time: sleep to shortly before the deadline, then yield
    // until it has passed.
    constexpr auto kSpin = std::chrono::microseconds(200);
    std::unique_lock lock(m_mutex);
    if (m_changed.wait_until(lock, until - kSpin, [this] { return m_stop; }))
        return;
    lock.unlock();
    while (Clock::now() < until) {
        std::this_thread::yield();
        lock.lock();
        const bool stop = m_stop;
        lock.unlock();
        if (stop)
            return;
    }
}

void LightSourceSimulator::Serve()
{
    std::vector<std::uint8_t> input;
    for (;;) {
        pollfd fds[2] = {{m_wake[0], POLLIN, 0}, {m_master, POLLIN, 0}};
        const int n = ::poll(fds, m_master >= 0 ? 2 : 1, -1);
        if (n < 0 && errno != EINTR)
            return;
        char drain[64];
        while (::read(m_wake[0], drain, sizeof drain) > 0) {
        }
        std::vector<std::uint8_t> noise;
        bool close = false;
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                return;
            noise.swap(m_noise);
            close = m_closeRequested;
            m_closeRequested = false;
        }
        if (close) {
            Close();
            input.clear();
            continue;
        }
        if (!noise.empty())
            WriteAll(noise.data(), noise.size());
        if (m_master >= 0 && (fds[1].revents & POLLIN)) {
            std::uint8_t buffer[4096];
            const ssize_t got = ::read(m_master, buffer, sizeof buffer);
            if (got > 0) {
                // A request's time on the line counts from its first byte.
                if (input.empty())
                    m_requestStart = Clock::now();
                input.insert(input.end(), buffer, buffer + got);
                Parse(input);
            }
        }
    }
}

void LightSourceSimulator::Parse(std::vector<std::uint8_t>& input)
{
    std::size_t pos = 0;
    while (pos < input.size() && m_master >= 0) {
        const std::uint8_t command = input[pos];
        const std::size_t size = RequestSize(command);
        if (size == 0) { // not a command: dropped
            ++pos;
            continue;
        }
        if (input.size() - pos < size)
            break;
        Request request;
        request.command = command;
        request.bytes.assign(input.begin() + static_cast<std::ptrdiff_t>(pos),
                             input.begin() + static_cast<std::ptrdiff_t>(pos + size));
        const std::uint8_t* args = request.bytes.data() + 1;
        if (size >= 3)
            request.index = Index(args);
        if (command == 0xC2)
            request.last = Index(args + 2);
        if (command == 0xC3)
            request.value = FloatOf(args + 2);
        request.at = Clock::now();
        pos += size;
        const std::vector<std::uint8_t> reply = Answer(request);
        if (!reply.empty())
            Reply(command, reply, size);
        m_requestStart = Clock::now();
        std::lock_guard lock(m_mutex);
        for (auto it = m_requests.rbegin(); it != m_requests.rend(); ++it)
            if (it->number == request.number) {
                it->replied = true;
                break;
            }
        m_changed.notify_all();
    }
    input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(pos));
}

std::vector<std::uint8_t> LightSourceSimulator::Answer(Request& request)
{
    std::lock_guard lock(m_mutex);
    request.number = m_received++;
    m_requests.push_back(request);
    m_changed.notify_all();

    Faults& f = m_faults;
    const bool hit = f.only == 0 || f.only == request.command;
    if (hit && f.silent)
        return {};
    if (hit && f.silentNext > 0) {
        --f.silentNext;
        return {};
    }
    const int count = f.noRows ? 0 : static_cast<int>(m_rows.size());
    auto row = [this](int index) -> Row& { return m_rows[static_cast<std::size_t>(index)]; };
    std::vector<std::uint8_t> reply{kAccepted};
    switch (request.command) {
    case 0xC0: {
        const bool all = f.allPingsFromAttempt > 0 && m_pingGroup >= f.allPingsFromAttempt;
        if (!all && m_pingInGroup >= f.pingsAnswered) {
            // The host gives up the attempt at the first unanswered ping.
            m_pingInGroup = 0;
            ++m_pingGroup;
            return {};
        }
        m_pingInGroup = (m_pingInGroup + 1) % 3;
        if (m_pingInGroup == 0)
            ++m_pingGroup;
        break;
    }
    case 0xC1:
        if (request.index >= count)
            reply[0] = kRefused;
        PutFloat(reply, request.index < count ? row(request.index).value : 0.0f);
        break;
    case 0xC2: {
        ++m_drift;
        for (int i = 0; i < count; ++i)
            if (IsDrifting(row(i)))
                row(i).value = 10.0f * static_cast<float>(std::atoi(row(i).name.c_str() + 6)) +
                               0.01f * static_cast<float>(m_drift % 50);
        if (request.index > request.last || request.last >= count)
            reply[0] = kRefused;
        for (int i = request.index; i <= request.last; ++i)
            PutFloat(reply, i < count ? row(i).value : 0.0f);
        break;
    }
    case 0xC3:
        if (request.index < count && !(row(request.index).flags & 1))
            row(request.index).value = request.value;
        else
            reply[0] = kRefused;
        break;
    case 0xCC:
        reply.push_back(static_cast<std::uint8_t>(count & 0xFF));
        reply.push_back(static_cast<std::uint8_t>((count >> 8) & 0xFF));
        break;
    case 0xCD:
        if (request.index >= count)
            reply[0] = kRefused;
        else if (hit && f.endlessName)
            reply.insert(reply.end(), kEndlessNameBytes, 'X');
        else
            reply.insert(reply.end(), row(request.index).name.begin(), row(request.index).name.end());
        if (!(hit && (f.nameWithoutNul || f.endlessName)))
            reply.push_back(0);
        break;
    case 0xCE:
        if (request.index >= count)
            reply[0] = kRefused;
        reply.push_back(request.index < count ? row(request.index).flags : 0);
        break;
    default:
        break;
    }
    if (hit && f.ack != kAccepted)
        reply[0] = f.ack;
    return reply;
}

void LightSourceSimulator::Reply(std::uint8_t command, const std::vector<std::uint8_t>& reply,
                                 std::size_t requestSize)
{
    Faults f;
    bool paced = false;
    {
        std::lock_guard lock(m_mutex);
        f = m_faults;
        paced = m_paced;
        if (f.closeAfter >= 0 && (f.only == 0 || f.only == command))
            m_faults.closeAfter = -1; // the next reply only
    }
    const bool hit = f.only == 0 || f.only == command;
    std::size_t size = reply.size();
    if (hit && f.cutAfter >= 0)
        size = std::min(size, static_cast<std::size_t>(f.cutAfter));
    const bool close = hit && f.closeAfter >= 0;
    if (close)
        size = std::min(size, static_cast<std::size_t>(f.closeAfter));
    if (paced) {
        // Request and reply at 19200 Bd, 10 bits a byte.
        const auto bytes = static_cast<long long>(requestSize + reply.size());
        Pause(m_requestStart + std::chrono::microseconds(bytes * 10 * 1000000 / 19200));
    }
    if (hit && f.ackDelay.count() > 0)
        Pause(Clock::now() + f.ackDelay);
    if (hit && f.byteDelay.count() > 0 && size > 1) {
        for (std::size_t i = 0; i < size && m_master >= 0; ++i) {
            if (i > 0)
                Pause(Clock::now() + f.byteDelay);
            WriteAll(reply.data() + i, 1);
        }
    } else if (size > 0) {
        WriteAll(reply.data(), size);
    }
    if (close)
        Close();
}

void LightSourceSimulator::WriteAll(const std::uint8_t* data, std::size_t count)
{
    std::size_t done = 0;
    while (done < count && m_master >= 0) {
        const ssize_t n = ::write(m_master, data + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                return;
        }
        pollfd fd{m_master, POLLOUT, 0};
        ::poll(&fd, 1, 50);
    }
}
