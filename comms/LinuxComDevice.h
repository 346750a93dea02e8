#pragma once

#include "comms/ComDevice.h"

#include <atomic>

// A serial device through termios and ioctl. The descriptor belongs to the wait thread while it runs;
// setOutputs may be called from another thread (the kernel serialises the modem-control ioctls).
class LinuxComDevice final : public ComDevice
{
public:
    LinuxComDevice() = default;
    ~LinuxComDevice() override;
    LinuxComDevice(const LinuxComDevice &) = delete;
    LinuxComDevice &operator=(const LinuxComDevice &) = delete;

    int open(const QString &path) override;
    int configure(const ComSettings &settings) override;
    void close() override;
    int handle() const override { return m_fd.load(); }

    int waitForChange(int lines) override;
    int readLines(int &lines) override;
    int readCounters(ComCounters &counters) override;
    int setOutputs(bool dtr, bool rts) override;

private:
    // Read by the main thread for Handle() while the wait thread may close and reopen.
    std::atomic<int> m_fd{-1};
};
