#pragma once
// What the value display needs of the module behind its form: a value the user typed for
// row index goes to the device. The light-source device module implements it.

class DeviceValueSink {
public:
    virtual ~DeviceValueSink();
    // Returns once the device worker has taken the write.
    virtual void SetDeviceValue(int index, double value) = 0;
};
