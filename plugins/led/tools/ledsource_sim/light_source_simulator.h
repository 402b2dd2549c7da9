#pragma once
// A light-source controller on a pseudo-terminal, for tests, benchmarks and trying the device
// module without hardware. The host opens PortName() as its serial port. A thread of its own
// reads the requests as a byte stream (a request may come in pieces or several at once),
// answers them from a table of rows, records each request, and plays the faults it is told
// to: silence, delays, refusals, garbage, cut replies, names without end, pings left
// unanswered, an empty table, a line that vanishes.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <termios.h>

class LightSourceSimulator {
public:
    using Clock = std::chrono::steady_clock;

    struct Row {
        std::string name;
        std::uint8_t flags; // bit 0: read-only
        float value;
    };

    struct Faults {
        bool silent = false;                   // no request is answered
        int silentNext = 0;                    // the next k requests are not answered
        std::chrono::milliseconds ackDelay{0}; // before each acknowledge
        std::chrono::milliseconds byteDelay{0};// between the bytes of a reply
        std::uint8_t ack = 0xE0;               // the acknowledge of every request
        int cutAfter = -1;                     // replies end after k bytes (ack included)
        bool nameWithoutNul = false;           // names end without their NUL
        bool endlessName = false;              // names never end
        int pingsAnswered = 3;                 // of each group of three pings
        int allPingsFromAttempt = 0;           // from this group on all are answered (0: never)
        bool noRows = false;                   // the count is 0
        int closeAfter = -1;                   // the line closes after k bytes of the next reply
        std::uint8_t only = 0;                 // reply faults for this command only (0: all)
    };

    struct Request {
        std::uint8_t command = 0;
        std::vector<std::uint8_t> bytes; // the whole request
        int index = -1;                  // first index, where the command has one
        int last = -1;                   // GetValues' last index
        float value = 0.0f;              // SetValue's value
        Clock::time_point at;
        bool replied = false;            // the reply (if any) has been written
        long number = 0;                 // running number since the start
    };

    // The rows of the default table: Sensor1..7 (read-only, drifting), Lightness1..6,
    // SensorDiv (read-only), a long name, and a value whose bytes are 0D 11 13 40.
    static std::vector<Row> DefaultRows();

    explicit LightSourceSimulator(std::vector<Row> rows = DefaultRows());
    ~LightSourceSimulator();
    LightSourceSimulator(const LightSourceSimulator&) = delete;
    LightSourceSimulator& operator=(const LightSourceSimulator&) = delete;

    // False when no pseudo-terminal could be made.
    bool IsOpen() const { return !m_portName.empty(); }
    const std::string& PortName() const { return m_portName; }

    void SetFaults(const Faults& faults);
    // Replies take the time of 19200 Bd, 10 bits a byte, in both directions.
    void SetPaced(bool paced);

    std::vector<Request> Requests() const;
    void ClearRequests();
    // Waits until done(requests) holds; false when timeout passed first.
    bool WaitFor(const std::function<bool(const std::vector<Request>&)>& done,
                 std::chrono::milliseconds timeout) const;
    // Waits for at least count requests of command.
    bool WaitForCommand(std::uint8_t command, int count, std::chrono::milliseconds timeout) const;

    float Value(int index) const;
    void SetRowValue(int index, float value);

    // Bytes sent unasked.
    void SendNoise(std::vector<std::uint8_t> bytes);
    // The device vanishes: the line closes.
    void CloseLine();
    // Waits until the host's side of the line has input waiting (not read here).
    bool WaitForHostInput(std::chrono::milliseconds timeout) const;
    // The line settings the host made (the terminal's attributes are shared by every opener).
    bool LineSettings(termios& settings) const;

private:
    void Serve();
    void Wake();
    // Answers every whole request at the front of input; drops unknown bytes.
    void Parse(std::vector<std::uint8_t>& input);
    std::vector<std::uint8_t> Answer(Request& request);
    void Reply(std::uint8_t command, const std::vector<std::uint8_t>& reply, std::size_t requestSize);
    void WriteAll(const std::uint8_t* data, std::size_t count);
    void Close();
    // Sleeps until the deadline or the stop.
    void Pause(Clock::time_point until);

    std::string m_portName;
    int m_master = -1;
    int m_slave = -1;
    int m_wake[2] = {-1, -1};

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<Row> m_rows;
    Faults m_faults;
    bool m_paced = false;
    bool m_stop = false;
    bool m_closeRequested = false;
    std::vector<std::uint8_t> m_noise;
    std::vector<Request> m_requests;
    int m_pingInGroup = 0;
    int m_pingGroup = 1;
    unsigned m_drift = 0;
    long m_received = 0;
    Clock::time_point m_requestStart; // serving thread only

    std::thread m_thread;
};
