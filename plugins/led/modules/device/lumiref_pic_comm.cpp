#include "modules/device/lumiref_pic_comm.h"

#include "modules/device/serial_link.h"

#include <algorithm>
#include <cstring>
#include <vector>

using Status = LumirefPICComm::Status;

namespace {

bool IndexFits(int index) { return index >= 0 && index <= 0xFFFF; }

void PutIndex(std::uint8_t* out, int index)
{
    out[0] = static_cast<std::uint8_t>(index & 0xFF);
    out[1] = static_cast<std::uint8_t>((index >> 8) & 0xFF);
}

// A failed reply read counts before a refusal, a refusal before missing data.
Status Judge(Status read, std::uint8_t ack)
{
    if (read == Status::Gone)
        return Status::Gone;
    if (ack != LumirefPICComm::kAccepted)
        return Status::Refused;
    return read;
}

} // namespace

LumirefPICComm::LumirefPICComm(SerialLink& link, int patientTries)
    : m_link(link)
    , m_patientTries(patientTries < 1 ? 1 : patientTries)
{
}

LumirefPICComm::~LumirefPICComm() = default;

void LumirefPICComm::EncodeFloat(float value, std::uint8_t out[4])
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>((bits >> (8 * i)) & 0xFF);
}

float LumirefPICComm::DecodeFloat(const std::uint8_t in[4])
{
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(in[i]) << (8 * i);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Status LumirefPICComm::Send(std::uint8_t command, const std::uint8_t* fields, const int* sizes, int fieldCount)
{
    m_link.DiscardInput();
    SerialLink::Transfer sent = m_link.Write(&command, 1);
    if (sent.result == SerialLink::Result::Gone)
        return Status::Gone;
    if (sent.count != 1)
        return Status::WriteFailed;
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        sent = m_link.Write(fields + offset, sizes[i]);
        if (sent.result == SerialLink::Result::Gone)
            return Status::Gone;
        if (sent.count != sizes[i])
            return Status::WriteFailed;
        offset += sizes[i];
    }
    return Status::Ok;
}

Status LumirefPICComm::ReadAck(bool patient, std::uint8_t& ack)
{
    const int tries = patient ? m_patientTries : 1;
    for (int i = 0; i < tries; ++i) {
        const SerialLink::Transfer got = m_link.Read(&ack, 1);
        if (got.count == 1)
            return Status::Ok;
        if (got.result == SerialLink::Result::Gone)
            return Status::Gone;
    }
    return Status::NoAnswer;
}

Status LumirefPICComm::ReadExactly(std::uint8_t* data, int count)
{
    const SerialLink::Transfer got = m_link.Read(data, count);
    if (got.count == count)
        return Status::Ok;
    return got.result == SerialLink::Result::Gone ? Status::Gone : Status::ShortReply;
}

Status LumirefPICComm::TryPing()
{
    Status status = Send(kPing, nullptr, nullptr, 0);
    if (status != Status::Ok)
        return status;
    std::uint8_t ack = 0;
    status = ReadAck(false, ack);
    return status == Status::Ok ? Judge(status, ack) : status;
}

Status LumirefPICComm::TryGetValue(int index, double& value)
{
    value = -1.0;
    if (!IndexFits(index))
        return Status::Unsent;
    std::uint8_t field[2];
    PutIndex(field, index);
    const int sizes[] = {2};
    Status status = Send(kGetValue, field, sizes, 1);
    std::uint8_t ack = 0;
    if (status == Status::Ok)
        status = ReadAck(true, ack);
    if (status != Status::Ok)
        return status;
    std::uint8_t bytes[4] = {};
    status = Judge(ReadExactly(bytes, 4), ack);
    if (status == Status::Ok)
        value = DecodeFloat(bytes);
    return status;
}

Status LumirefPICComm::TryGetValues(int first, int last, double* out)
{
    if (!IndexFits(first) || !IndexFits(last) || first > last)
        return Status::Unsent;
    std::uint8_t fields[4];
    PutIndex(fields, first);
    PutIndex(fields + 2, last);
    const int sizes[] = {2, 2};
    Status status = Send(kGetValues, fields, sizes, 2);
    std::uint8_t ack = 0;
    if (status == Status::Ok)
        status = ReadAck(true, ack);
    if (status != Status::Ok)
        return status;
    // Every value is read, refused or not, so the line stays in step; a value that does not
    // come in full ends the reply (the rest would only cost one time-out each).
    const int count = last - first + 1;
    std::vector<double> values(static_cast<std::size_t>(count));
    Status read = Status::Ok;
    for (int i = 0; i < count && read == Status::Ok; ++i) {
        std::uint8_t bytes[4] = {};
        read = ReadExactly(bytes, 4);
        values[static_cast<std::size_t>(i)] = DecodeFloat(bytes);
    }
    status = Judge(read, ack);
    if (status == Status::Ok)
        std::copy(values.begin(), values.end(), out);
    return status;
}

Status LumirefPICComm::TrySetValue(int index, double value)
{
    if (!IndexFits(index))
        return Status::Unsent;
    std::uint8_t fields[6];
    PutIndex(fields, index);
    EncodeFloat(static_cast<float>(value), fields + 2);
    const int sizes[] = {2, 4};
    Status status = Send(kSetValue, fields, sizes, 2);
    std::uint8_t ack = 0;
    if (status == Status::Ok)
        status = ReadAck(true, ack);
    return status == Status::Ok ? Judge(status, ack) : status;
}

Status LumirefPICComm::TryGetParamCount(int& count)
{
    count = 0;
    Status status = Send(kGetParamCount, nullptr, nullptr, 0);
    std::uint8_t ack = 0;
    if (status == Status::Ok)
        status = ReadAck(false, ack);
    if (status != Status::Ok)
        return status;
    std::uint8_t bytes[2] = {};
    status = Judge(ReadExactly(bytes, 2), ack);
    if (status == Status::Ok)
        count = bytes[0] | (bytes[1] << 8);
    return status;
}

Status LumirefPICComm::TryGetParamName(int index, std::string& name)
{
    name.clear();
    if (!IndexFits(index))
        return Status::Unsent;
    std::uint8_t field[2];
    PutIndex(field, index);
    const int sizes[] = {2};
    Status status = Send(kGetParamName, field, sizes, 1);
    std::uint8_t ack = 0;
    if (status == Status::Ok)
        status = ReadAck(false, ack);
    if (status != Status::Ok)
        return status;
    std::string text;
    Status read = Status::ShortReply; // until the NUL or a pause in the bytes
    while (static_cast<int>(text.size()) < kMaxNameLength) {
        std::uint8_t byte = 0;
        const SerialLink::Transfer got = m_link.Read(&byte, 1);
        if (got.count != 1) {
            read = got.result == SerialLink::Result::Gone ? Status::Gone : Status::Ok;
            break;
        }
        if (byte == 0) {
            read = Status::Ok;
            break;
        }
        text.push_back(static_cast<char>(byte));
    }
    status = Judge(read, ack);
    if (status == Status::Ok)
        name = std::move(text);
    return status;
}

Status LumirefPICComm::TryGetParamFlags(int index, std::uint8_t& flags)
{
    flags = 0xFF;
    if (!IndexFits(index))
        return Status::Unsent;
    std::uint8_t field[2];
    PutIndex(field, index);
    const int sizes[] = {2};
    Status status = Send(kGetParamFlags, field, sizes, 1);
    std::uint8_t ack = 0;
    if (status == Status::Ok)
        status = ReadAck(true, ack);
    if (status != Status::Ok)
        return status;
    std::uint8_t byte = 0;
    status = Judge(ReadExactly(&byte, 1), ack);
    if (status == Status::Ok)
        flags = byte;
    return status;
}

bool LumirefPICComm::Ping() { return TryPing() == Status::Ok; }

double LumirefPICComm::GetValue(int index)
{
    double value = -1.0;
    return TryGetValue(index, value) == Status::Ok ? value : -1.0;
}

void LumirefPICComm::GetValues(int first, int last, double* out) { TryGetValues(first, last, out); }

bool LumirefPICComm::SetValue(int index, double value) { return TrySetValue(index, value) == Status::Ok; }

int LumirefPICComm::GetParamCount()
{
    int count = 0;
    return TryGetParamCount(count) == Status::Ok ? count : 0;
}

std::string LumirefPICComm::GetParamName(int index)
{
    std::string name;
    TryGetParamName(index, name);
    return name;
}

std::uint8_t LumirefPICComm::GetParamFlags(int index)
{
    std::uint8_t flags = 0xFF;
    return TryGetParamFlags(index, flags) == Status::Ok ? flags : 0xFF;
}
