// The light-source device link: commands per second against the simulated controller in
// this process, over a real pseudo-terminal.
// - unpaced: Ping (2 bytes on the line), SetValue (8) and GetValues of 16 rows (70), beside a
//   raw POSIX ping-pong of the same byte counts on a pty of its own (the floor: what the
//   pseudo-terminal and two threads cost without any protocol);
// - paced: the simulator takes the time of 19200 Bd (10 bits a byte, both ways).
// The counter "limit" is the line's bound, bytes x 10 / 19200 s per command (Ping 960/s,
// GetValues 27.4/s): unpaced runs should be far above it, paced runs close below it.
#include "qt_bench_main.h"

#include "modules/device/lumiref_pic_comm.h"
#include "modules/device/serial_link.h"

#include "light_source_simulator.h"

#include <atomic>
#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

enum Command { kPing, kSetValue, kGetValues };
constexpr int kRequestBytes[] = {1, 7, 5};
constexpr int kReplyBytes[] = {1, 1, 1 + 16 * 4};

double LineLimit(Command c) { return 19200.0 / (10.0 * (kRequestBytes[c] + kReplyBytes[c])); }

void Protocol(benchmark::State& state, Command command, bool paced)
{
    LightSourceSimulator sim;
    sim.SetPaced(paced);
    SerialLink link;
    if (link.Open(sim.PortName()) != SerialLink::OpenResult::Opened) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    LumirefPICComm comm(link);
    double values[16];
    bool ok = true;
    for (auto _ : state) {
        switch (command) {
        case kPing:
            ok = comm.Ping() && ok;
            break;
        case kSetValue:
            ok = comm.SetValue(7, 0.5) && ok;
            break;
        case kGetValues:
            ok = comm.TryGetValues(0, 15, values) == LumirefPICComm::Status::Ok && ok;
            break;
        }
    }
    if (!ok)
        state.SkipWithError("a command failed");
    state.counters["commands/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["limit"] = LineLimit(command);
}

void BM_Ping(benchmark::State& state) { Protocol(state, kPing, false); }
void BM_SetValue(benchmark::State& state) { Protocol(state, kSetValue, false); }
void BM_GetValues16(benchmark::State& state) { Protocol(state, kGetValues, false); }
void BM_PingPaced(benchmark::State& state) { Protocol(state, kPing, true); }
void BM_SetValuePaced(benchmark::State& state) { Protocol(state, kSetValue, true); }
void BM_GetValues16Paced(benchmark::State& state) { Protocol(state, kGetValues, true); }

bool ReadFull(int fd, unsigned char* data, int count)
{
    int got = 0;
    while (got < count) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1000) != 1)
            return false;
        const ssize_t n = ::read(fd, data + got, static_cast<std::size_t>(count - got));
        if (n <= 0)
            return false;
        got += static_cast<int>(n);
    }
    return true;
}

// The floor: the same byte counts bounced over a raw pty by a second thread.
void RawPingPong(benchmark::State& state, Command command)
{
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    const int request = kRequestBytes[command];
    const int reply = kReplyBytes[command];
    std::atomic<bool> stop{false};
    std::thread device([&] {
        unsigned char in[64], out[128] = {0xE0};
        while (!stop) {
            if (!ReadFull(master, in, request))
                continue;
            if (::write(master, out, static_cast<std::size_t>(reply)) != reply)
                return;
        }
    });
    unsigned char out[64] = {0xC0}, in[128];
    for (auto _ : state) {
        if (::write(slave, out, static_cast<std::size_t>(request)) != request || !ReadFull(slave, in, reply)) {
            state.SkipWithError("pty failed");
            break;
        }
    }
    stop = true;
    device.join();
    ::close(slave);
    ::close(master);
    state.counters["commands/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["limit"] = LineLimit(command);
}

void BM_RawPing(benchmark::State& state) { RawPingPong(state, kPing); }
void BM_RawSetValue(benchmark::State& state) { RawPingPong(state, kSetValue); }
void BM_RawGetValues16(benchmark::State& state) { RawPingPong(state, kGetValues); }

} // namespace

BENCHMARK(BM_Ping)->UseRealTime();
BENCHMARK(BM_RawPing)->UseRealTime();
BENCHMARK(BM_SetValue)->UseRealTime();
BENCHMARK(BM_RawSetValue)->UseRealTime();
BENCHMARK(BM_GetValues16)->UseRealTime();
BENCHMARK(BM_RawGetValues16)->UseRealTime();
BENCHMARK(BM_PingPaced)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SetValuePaced)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_GetValues16Paced)->UseRealTime()->MinTime(2.0);

int main(int argc, char** argv) { return RunBenchmarksWithApplication(argc, argv); }
