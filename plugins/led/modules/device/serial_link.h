#pragma once
// The serial line to the light-source device: opened by name, exclusively, at 19200 Bd, 8
// data bits, no parity, one stop bit, no flow control, DTR and RTS on. Blocking calls only:
// the link lives in the one thread that created it (a QThread, so that the port's socket
// notifiers work). Every result says whether it completed, ran out of time, or found the
// line gone (a device that vanished); once gone, every further call is gone at once.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class QSerialPort;

// The waits of the device link. Only tests shorten them.
struct DeviceTimings {
    std::chrono::milliseconds readTimeout{1000};  // total time of one read request
    int patientTries = 5;                          // acknowledge reads of a patient wait
    std::chrono::milliseconds pollPause{1000};     // between two polls of the values
    std::chrono::milliseconds attemptPause{1000};  // between two connection attempts
};

// The device path of a port name: "COMn" is /dev/ttyS(n-1); a name with "/" stays as it is;
// any other name is left to the serial port class as typed ("ttyUSB0").
std::string DevicePortPath(const std::string& name);

class SerialLink {
public:
    enum class Result { Ok, TimeOut, Gone };
    enum class OpenResult { Opened, OpenFailed, SettingFailed };

    struct Transfer {
        int count = 0; // bytes written or read
        Result result = Result::Ok;
    };

    explicit SerialLink(std::chrono::milliseconds readTimeout = std::chrono::milliseconds(1000));
    ~SerialLink();
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // Opens and sets up the line. SettingFailed closes the port again; SettingError() then
    // holds the serial port's error number.
    OpenResult Open(const std::string& name);
    int SettingError() const { return m_settingError; }
    void Close();
    bool IsOpen() const;
    bool IsGone() const { return m_gone; }

    // Writes count bytes; the transfer's count is how many left within the read time-out.
    Transfer Write(const std::uint8_t* data, int count);
    // Reads up to count bytes until all have come or the read time-out has passed in total.
    Transfer Read(std::uint8_t* data, int count);
    // Drops whatever arrived unasked (late replies, noise).
    void DiscardInput();

private:
    Result Failed();

    std::unique_ptr<QSerialPort> m_port;
    std::chrono::milliseconds m_readTimeout;
    int m_settingError = 0;
    bool m_gone = false;
};
