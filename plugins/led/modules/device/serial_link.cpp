#include "modules/device/serial_link.h"

#include <QSerialPort>

#include <cctype>
#include <charconv>

using Clock = std::chrono::steady_clock;

std::string DevicePortPath(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
    // "COM1" is the first serial port, /dev/ttyS0.
    if (name.size() > 3 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "com") == 0)) {
        int number = 0;
        const char* first = name.data() + 3;
        const char* last = name.data() + name.size();
        const auto [end, error] = std::from_chars(first, last, number);
        if (error == std::errc() && end == last && number >= 1)
            return "/dev/ttyS" + std::to_string(number - 1);
    }
    return name;
}

SerialLink::SerialLink(std::chrono::milliseconds readTimeout)
    : m_readTimeout(readTimeout)
{
}

SerialLink::~SerialLink() { Close(); }

SerialLink::OpenResult SerialLink::Open(const std::string& name)
{
    Close();
    m_gone = false;
    m_settingError = 0;
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(QString::fromStdString(DevicePortPath(name)));
    // The port class refuses a port that is missing, no terminal, or open elsewhere (lock
    // file and exclusive mode).
    if (!port->open(QIODevice::ReadWrite))
        return OpenResult::OpenFailed;
    const bool set = port->setBaudRate(19200) && port->setDataBits(QSerialPort::Data8) &&
                     port->setParity(QSerialPort::NoParity) && port->setStopBits(QSerialPort::OneStop) &&
                     port->setFlowControl(QSerialPort::NoFlowControl);
    if (!set) {
        m_settingError = static_cast<int>(port->error());
        port->close();
        return OpenResult::SettingFailed;
    }
    // A pseudo-terminal has no modem lines: the two calls fail there, which does not matter.
    port->setDataTerminalReady(true);
    port->setRequestToSend(true);
    port->clearError();
    m_port = std::move(port);
    return OpenResult::Opened;
}

void SerialLink::Close()
{
    if (m_port) {
        m_port->close();
        m_port.reset();
    }
}

bool SerialLink::IsOpen() const { return m_port && m_port->isOpen(); }

SerialLink::Result SerialLink::Failed()
{
    m_gone = true;
    return Result::Gone;
}

namespace {

// Whole milliseconds until deadline, rounded up; 0 once it has passed.
int MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

SerialLink::Transfer SerialLink::Write(const std::uint8_t* data, int count)
{
    Transfer transfer;
    if (!IsOpen() || m_gone) {
        transfer.result = Failed();
        return transfer;
    }
    const qint64 queued = m_port->write(reinterpret_cast<const char*>(data), count);
    if (queued < 0) {
        transfer.result = Failed();
        return transfer;
    }
    const Clock::time_point deadline = Clock::now() + m_readTimeout;
    while (m_port->bytesToWrite() > 0) {
        const int left = MillisecondsUntil(deadline);
        if (left == 0) {
            transfer.result = Result::TimeOut;
            break;
        }
        if (!m_port->waitForBytesWritten(left)) {
            if (m_port->error() != QSerialPort::TimeoutError) {
                transfer.result = Failed();
                break;
            }
            m_port->clearError();
        }
    }
    transfer.count = static_cast<int>(queued - m_port->bytesToWrite());
    return transfer;
}

SerialLink::Transfer SerialLink::Read(std::uint8_t* data, int count)
{
    Transfer transfer;
    if (!IsOpen() || m_gone) {
        transfer.result = Failed();
        return transfer;
    }
    const Clock::time_point deadline = Clock::now() + m_readTimeout;
    while (transfer.count < count) {
        const qint64 got = m_port->read(reinterpret_cast<char*>(data + transfer.count), count - transfer.count);
        if (got < 0) {
            transfer.result = Failed();
            return transfer;
        }
        transfer.count += static_cast<int>(got);
        if (transfer.count == count)
            break;
        const int left = MillisecondsUntil(deadline);
        if (left == 0) {
            transfer.result = Result::TimeOut;
            return transfer;
        }
        if (!m_port->waitForReadyRead(left)) {
            // Anything but a time-out (a closed pseudo-terminal master reads as an error at
            // once) means the device is gone: never wait on to the deadline.
            if (m_port->error() != QSerialPort::TimeoutError) {
                transfer.result = Failed();
                return transfer;
            }
            m_port->clearError();
        }
    }
    return transfer;
}

void SerialLink::DiscardInput()
{
    if (!IsOpen() || m_gone)
        return;
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
}
