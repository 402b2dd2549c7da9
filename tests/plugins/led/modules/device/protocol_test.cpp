// The serial link and the controller protocol over a real pseudo-terminal, against the
// simulated controller in this process: the raw line, each command accepted, refused,
// unanswered, cut short, garbled, and a device that vanishes.
#include "modules/device/lumiref_pic_comm.h"
#include "modules/device/serial_link.h"

#include "light_source_simulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Status = LumirefPICComm::Status;
using Faults = LightSourceSimulator::Faults;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kWait = 5s; // bound of every wait on the simulator's record

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class ProtocolTest : public ::testing::Test {
protected:
    explicit ProtocolTest(std::chrono::milliseconds readTimeout = 150ms)
        : link(readTimeout)
        , comm(link, 5)
        , timeout(readTimeout)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(sim.IsOpen());
        ASSERT_EQ(link.Open(sim.PortName()), SerialLink::OpenResult::Opened);
    }

    // The requests the simulator decoded, as their bytes.
    std::vector<Bytes> Sent() const
    {
        std::vector<Bytes> sent;
        for (const auto& r : sim.Requests())
            sent.push_back(r.bytes);
        return sent;
    }

    LightSourceSimulator sim;
    SerialLink link;
    LumirefPICComm comm;
    std::chrono::milliseconds timeout;
};

struct FloatCase {
    const char* text;
    double value;
    std::uint8_t bytes[4];
};

const FloatCase kFloats[] = {
#include "reference/float_bytes.inc"
};

TEST_F(ProtocolTest, FloatsAndIndexesCrossTheRawLineUnchanged)
{
    // Row 15 is writable. Many of these bytes are CR, LF, XON, XOFF, ^C or NUL: a line that
    // is not raw would eat or change them.
    for (const FloatCase& c : kFloats) {
        SCOPED_TRACE(c.text);
        sim.ClearRequests();
        ASSERT_TRUE(comm.SetValue(15, c.value));
        const std::vector<Bytes> sent = Sent();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], (Bytes{0xC3, 0x0F, 0x00, c.bytes[0], c.bytes[1], c.bytes[2], c.bytes[3]}));
        const float stored = sim.Value(15);
        EXPECT_EQ(std::memcmp(&stored, c.bytes, 4), 0) << "the device holds other bits";
        double back = 0.0;
        ASSERT_EQ(comm.TryGetValue(15, back), Status::Ok);
        EXPECT_EQ(back, static_cast<double>(static_cast<float>(c.value)));
        std::uint8_t encoded[4];
        LumirefPICComm::EncodeFloat(static_cast<float>(c.value), encoded);
        EXPECT_EQ(std::memcmp(encoded, c.bytes, 4), 0);
    }

    // Indexes go low byte first; one beyond the table is refused by the device, one beyond
    // 16 bits is never sent.
    sim.ClearRequests();
    EXPECT_FALSE(comm.SetValue(0x1311, 1.0));
    EXPECT_EQ(comm.GetParamFlags(0x0D0A), 0xFF);
    EXPECT_FALSE(comm.SetValue(65536, 1.0));
    EXPECT_FALSE(comm.SetValue(-1, 1.0));
    EXPECT_EQ(comm.GetValue(70000), -1.0);
    EXPECT_EQ(comm.GetParamName(-2), "");
    EXPECT_TRUE(comm.Ping());
    const std::vector<Bytes> sent = Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(Bytes(sent[0].begin(), sent[0].begin() + 3), (Bytes{0xC3, 0x11, 0x13}));
    EXPECT_EQ(sent[1], (Bytes{0xCE, 0x0A, 0x0D}));
    EXPECT_EQ(sent[2], (Bytes{0xC0}));
}

TEST_F(ProtocolTest, TheHostSetsTheDevicesLineUp)
{
    termios t{};
    ASSERT_TRUE(sim.LineSettings(t));
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_EQ(cfgetispeed(&t), B19200);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
}

TEST_F(ProtocolTest, EveryCommandAnswersFromTheTable)
{
    EXPECT_TRUE(comm.Ping());
    EXPECT_EQ(comm.GetParamCount(), 16);
    const auto rows = LightSourceSimulator::DefaultRows();
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(comm.GetParamName(i), rows[static_cast<std::size_t>(i)].name);
        EXPECT_EQ(comm.GetParamFlags(i), rows[static_cast<std::size_t>(i)].flags);
    }
    EXPECT_GE(rows[14].name.size(), 40u);
    double values[16];
    std::fill(std::begin(values), std::end(values), -7.0);
    comm.GetValues(0, 15, values);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(values[i], static_cast<double>(sim.Value(i))) << i;
    EXPECT_EQ(comm.GetValue(13), static_cast<double>(8.000742f));
    // A read-only row refuses a write and keeps its value.
    EXPECT_FALSE(comm.SetValue(13, 1.0));
    EXPECT_EQ(sim.Value(13), 8.000742f);
    EXPECT_TRUE(comm.SetValue(7, 0.25));
    EXPECT_EQ(sim.Value(7), 0.25f);
}

TEST_F(ProtocolTest, GetValuesOfAnEmptyOrSingleRange)
{
    double out[2] = {-7.0, -7.0};
    EXPECT_EQ(comm.TryGetValues(5, 4, out), Status::Unsent);
    EXPECT_EQ(comm.TryGetValues(0, 65536, out), Status::Unsent);
    EXPECT_EQ(out[0], -7.0);
    EXPECT_EQ(comm.TryGetValues(0, 0, out), Status::Ok);
    EXPECT_EQ(out[0], static_cast<double>(sim.Value(0)));
    EXPECT_EQ(out[1], -7.0);
    // Only the one request went out.
    EXPECT_EQ(Sent(), (std::vector<Bytes>{{0xC2, 0x00, 0x00, 0x00, 0x00}}));
}

// One command with its reply length (0: acknowledge only) and whether it waits patiently.
struct Command {
    const char* name;
    std::uint8_t byte;
    bool patient;
    bool hasData;
    std::function<Status(LumirefPICComm&)> run;
};

const Command kCommands[] = {
    {"Ping", 0xC0, false, false, [](LumirefPICComm& c) { return c.TryPing(); }},
    {"GetValue", 0xC1, true, true, [](LumirefPICComm& c) { double v; return c.TryGetValue(2, v); }},
    {"GetValues", 0xC2, true, true,
     [](LumirefPICComm& c) { double v[16]; return c.TryGetValues(0, 15, v); }},
    {"SetValue", 0xC3, true, false, [](LumirefPICComm& c) { return c.TrySetValue(8, 0.75); }},
    {"GetParamCount", 0xCC, false, true, [](LumirefPICComm& c) { int n; return c.TryGetParamCount(n); }},
    {"GetParamName", 0xCD, false, true,
     [](LumirefPICComm& c) { std::string s; return c.TryGetParamName(14, s); }},
    {"GetParamFlags", 0xCE, true, true,
     [](LumirefPICComm& c) { std::uint8_t f; return c.TryGetParamFlags(3, f); }},
};

TEST_F(ProtocolTest, ARefusedOrGarbledAcknowledgeFailsAndLeavesTheLineInStep)
{
    for (const Command& command : kCommands) {
        for (const std::uint8_t ack : {0xE1, 0x5A}) {
            SCOPED_TRACE(std::string(command.name) + " ack " + std::to_string(ack));
            Faults f;
            f.ack = ack;
            f.only = command.byte;
            sim.SetFaults(f);
            EXPECT_EQ(command.run(comm), Status::Refused);
            sim.SetFaults({});
            // The reply was read in full: the next command reads its own answer.
            EXPECT_EQ(comm.GetParamName(0), "Sensor1");
            EXPECT_EQ(command.run(comm), Status::Ok);
        }
    }
    // The plain results of refused commands.
    Faults f;
    f.ack = 0xE1;
    sim.SetFaults(f);
    double out[3] = {-7.0, -7.0, -7.0};
    comm.GetValues(0, 2, out);
    EXPECT_EQ(out[0], -7.0) << "a refused reply is not stored";
    EXPECT_EQ(comm.GetValue(0), -1.0);
    EXPECT_EQ(comm.GetParamCount(), 0);
    EXPECT_EQ(comm.GetParamName(0), "");
    EXPECT_EQ(comm.GetParamFlags(0), 0xFF);
    EXPECT_FALSE(comm.Ping());
}

TEST_F(ProtocolTest, AMissingAcknowledgeCostsOneOrFiveReadTimeOuts)
{
    Faults f;
    f.silent = true;
    sim.SetFaults(f);
    for (const Command& command : kCommands) {
        SCOPED_TRACE(command.name);
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(command.run(comm), Status::NoAnswer);
        const long long elapsed = MillisecondsSince(start);
        const long long one = timeout.count();
        if (command.patient) {
            EXPECT_GE(elapsed, 5 * one);
        } else {
            EXPECT_GE(elapsed, one);
            EXPECT_LT(elapsed, 4 * one) << "a single wait reads once";
        }
    }
    // A device that answers on the fourth try still counts for a patient command.
    f = {};
    f.ackDelay = timeout * 3 + timeout / 2;
    f.only = 0xC3;
    sim.SetFaults(f);
    EXPECT_TRUE(comm.SetValue(8, 0.125));
    EXPECT_EQ(sim.Value(8), 0.125f);
}

TEST_F(ProtocolTest, ShortRepliesFailWithoutStoringAnything)
{
    for (const Command& command : kCommands) {
        if (!command.hasData)
            continue;
        SCOPED_TRACE(command.name);
        Faults f;
        f.cutAfter = command.byte == 0xC2 ? 1 + 4 * 3 + 2 : 1 + (command.byte == 0xCC ? 1 : 0);
        f.only = command.byte;
        sim.SetFaults(f);
        const Clock::time_point start = Clock::now();
        const Status status = command.run(comm);
        const long long elapsed = MillisecondsSince(start);
        sim.SetFaults({});
        if (command.byte == 0xCD)
            EXPECT_EQ(status, Status::Ok) << "a name cut short is kept as far as it came";
        else
            EXPECT_EQ(status, Status::ShortReply);
        // The first missing value ends the reply: one time-out, not one per value.
        EXPECT_LT(elapsed, 3 * timeout.count());
        EXPECT_TRUE(comm.Ping());
    }
    Faults f;
    f.cutAfter = 1 + 4 * 3 + 2;
    sim.SetFaults(f);
    double out[16];
    std::fill(std::begin(out), std::end(out), -7.0);
    comm.GetValues(0, 15, out);
    EXPECT_EQ(out[0], -7.0) << "values of a cut reply are not stored";
    f.cutAfter = 3;
    f.only = 0xC1;
    sim.SetFaults(f);
    EXPECT_EQ(comm.GetValue(0), -1.0) << "two bytes of a value are no value";
    f.only = 0xCC;
    f.cutAfter = 2;
    sim.SetFaults(f);
    int count = -1;
    EXPECT_EQ(comm.TryGetParamCount(count), Status::ShortReply);
    EXPECT_EQ(count, 0);
}

TEST_F(ProtocolTest, NamesWithoutEnd)
{
    Faults f;
    f.nameWithoutNul = true;
    sim.SetFaults(f);
    EXPECT_EQ(comm.GetParamName(0), "Sensor1");
    f = {};
    f.endlessName = true;
    sim.SetFaults(f);
    std::string name = "old";
    EXPECT_EQ(comm.TryGetParamName(0, name), Status::ShortReply);
    EXPECT_EQ(name, "");
    // The rest of the endless name is dropped before the next command.
    sim.SetFaults({});
    EXPECT_EQ(comm.GetParamName(1), "Sensor2");
}

TEST_F(ProtocolTest, BytesBetweenExchangesAreNeverTakenForAnAnswer)
{
    // Noise that looks like an acknowledge, then a device that keeps silent.
    sim.SendNoise({0xE0, 0xE0, 0x10, 0x00});
    ASSERT_TRUE(sim.WaitForHostInput(kWait));
    Faults f;
    f.silent = true;
    sim.SetFaults(f);
    EXPECT_FALSE(comm.Ping());
    int count = -1;
    EXPECT_EQ(comm.TryGetParamCount(count), Status::NoAnswer);

    // A reply that comes after the time-out is dropped before the next command.
    f = {};
    f.ackDelay = timeout + timeout / 2;
    f.only = 0xCC;
    sim.SetFaults(f);
    EXPECT_EQ(comm.TryGetParamCount(count), Status::NoAnswer);
    ASSERT_TRUE(sim.WaitFor([](const auto& r) { return !r.empty() && r.back().replied; }, kWait));
    ASSERT_TRUE(sim.WaitForHostInput(kWait));
    sim.SetFaults({});
    EXPECT_EQ(comm.GetParamName(0), "Sensor1");
    // Bytes trickling in one by one make up the reply all the same.
    f = {};
    f.byteDelay = timeout / 4;
    sim.SetFaults(f);
    EXPECT_EQ(comm.GetParamName(2), "Sensor3");
}

TEST_F(ProtocolTest, AVanishingDeviceIsGoneAtOnce)
{
    for (const Command& command : kCommands) {
        SCOPED_TRACE(command.name);
        LightSourceSimulator device;
        SerialLink line(timeout * 4);
        LumirefPICComm c(line, 5);
        ASSERT_EQ(line.Open(device.PortName()), SerialLink::OpenResult::Opened);
        Faults f;
        f.closeAfter = command.hasData ? 1 : 0; // the acknowledge, then nothing
        device.SetFaults(f);
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(command.run(c), Status::Gone);
        EXPECT_LT(MillisecondsSince(start), 4 * timeout.count()) << "never waits out the time-out";
        EXPECT_TRUE(line.IsGone());
        EXPECT_EQ(c.TryPing(), Status::Gone);
    }
    // Closed between two exchanges.
    sim.CloseLine();
    ASSERT_TRUE(sim.WaitForHostInput(kWait)); // the hang-up reads as input
    EXPECT_FALSE(comm.Ping());
    EXPECT_TRUE(link.IsGone());
}

TEST(SerialLinkTest, PortNames)
{
    const struct {
        const char* name;
        const char* path;
    } cases[] = {
        {"COM1", "/dev/ttyS0"},      {"COM12", "/dev/ttyS11"}, {"/tmp/ledsource", "/tmp/ledsource"},
        {"ttyUSB0", "ttyUSB0"},      {"COM0", "COM0"},         {"COM1x", "COM1x"},
        {"COM", "COM"},              {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DevicePortPath(c.name), c.path) << c.name;
}

TEST(SerialLinkTest, PortsThatCannotBeOpened)
{
    LightSourceSimulator sim;
    ASSERT_TRUE(sim.IsOpen());
    SerialLink first, second;
    ASSERT_EQ(first.Open(sim.PortName()), SerialLink::OpenResult::Opened);
    EXPECT_EQ(second.Open(sim.PortName()), SerialLink::OpenResult::OpenFailed) << "already open";
    EXPECT_EQ(second.Open("/dev/null"), SerialLink::OpenResult::OpenFailed) << "not a terminal";
    EXPECT_EQ(second.Open("/dev/orvanta-no-such-port"), SerialLink::OpenResult::OpenFailed);
    EXPECT_FALSE(second.IsOpen());
    first.Close();
    EXPECT_EQ(second.Open(sim.PortName()), SerialLink::OpenResult::Opened) << "free again";
}

class ProtocolAtFullTimeOut : public ProtocolTest {
protected:
    ProtocolAtFullTimeOut() : ProtocolTest(1000ms) {}
};

TEST_F(ProtocolAtFullTimeOut, PingOnASilentLineWaitsOneSecond)
{
    Faults f;
    f.silent = true;
    sim.SetFaults(f);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(comm.Ping());
    const long long elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 1000);
    EXPECT_LE(elapsed, 1500);
}

} // namespace
