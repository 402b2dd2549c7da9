#pragma once
// The host side of the light-source controller's protocol: one command byte, fixed-width
// little-endian fields (index u16, value float32, count u16), one acknowledge byte (0xE0
// accepted), fixed-width reply data. One exchange per operation, on a link that is open and
// set up and that this object does not own. One thread at a time.
//
//   Ping            C0                  -> ack
//   GetValue        C1 index            -> ack value
//   GetValues       C2 first last       -> ack value * (last - first + 1)
//   SetValue        C3 index value      -> ack
//   GetParamCount   CC                  -> ack count
//   GetParamName    CD index            -> ack name NUL
//   GetParamFlags   CE index            -> ack flags
//
// The acknowledge is read once (Ping, GetParamCount, GetParamName) or patiently, up to
// DeviceTimings::patientTries read time-outs. Reply data is read whatever the acknowledge
// says, so a refused command leaves the line in step; bytes that arrived between two
// exchanges are dropped before the next command.
#include <cstdint>
#include <string>

class SerialLink;

class LumirefPICComm {
public:
    enum : std::uint8_t {
        kPing = 0xC0,
        kGetValue = 0xC1,
        kGetValues = 0xC2,
        kSetValue = 0xC3,
        kGetParamCount = 0xCC,
        kGetParamName = 0xCD,
        kGetParamFlags = 0xCE,
        kAccepted = 0xE0,
    };
    // Names longer than this are taken as a fault of the device.
    static constexpr int kMaxNameLength = 255;

    enum class Status {
        Ok,
        Refused,     // acknowledge other than 0xE0 (its reply was read all the same)
        NoAnswer,    // no acknowledge byte
        ShortReply,  // reply data missing, or a name without end
        Unsent,      // an index outside 0..65535 or first > last: nothing sent
        WriteFailed, // the line took fewer bytes than written
        Gone,        // the line is gone
    };

    LumirefPICComm(SerialLink& link, int patientTries = 5);
    virtual ~LumirefPICComm();

    // The operations with their plain results.
    bool Ping();
    double GetValue(int index);                      // -1.0 on failure
    void GetValues(int first, int last, double* out); // out untouched on failure
    bool SetValue(int index, double value);
    int GetParamCount();                             // 0 on failure
    std::string GetParamName(int index);             // "" on failure
    std::uint8_t GetParamFlags(int index);           // 0xFF on failure

    // The same with the reason of a failure.
    Status TryPing();
    Status TryGetValue(int index, double& value);
    // out[0 .. last - first] on success; untouched otherwise.
    Status TryGetValues(int first, int last, double* out);
    Status TrySetValue(int index, double value);
    Status TryGetParamCount(int& count);
    // A name that stops arriving before its NUL is kept as far as it came.
    Status TryGetParamName(int index, std::string& name);
    Status TryGetParamFlags(int index, std::uint8_t& flags);

    // The four bytes of a float on the line, low byte first.
    static void EncodeFloat(float value, std::uint8_t out[4]);
    static float DecodeFloat(const std::uint8_t in[4]);

private:
    // Drops stale input, writes the command byte and each field as a write of its own.
    Status Send(std::uint8_t command, const std::uint8_t* fields, const int* sizes, int fieldCount);
    // The acknowledge byte: one read, or up to the patient number of reads.
    Status ReadAck(bool patient, std::uint8_t& ack);
    // count bytes in one read request.
    Status ReadExactly(std::uint8_t* data, int count);

    SerialLink& m_link;
    int m_patientTries;
};
