#pragma once

#include "comms/ComDevice.h"

#include <QString>

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
    int interruptCpu() const override;

private:
    QString m_path;
    // Read by the main thread for Handle() while the wait thread may close and reopen.
    std::atomic<int> m_fd{-1};
};

// The CPU that takes the interrupts of the tty device `name` ("ttyS0", "ttyUSB0"): the device's own
// "irq", or the first one up its sysfs path (a USB adapter's host controller, by its MSI vectors),
// read from that interrupt's effective affinity. -1 unless that is exactly one CPU.
int interruptCpuOf(const QString &name, const QString &sysRoot = QStringLiteral("/sys"),
                   const QString &procRoot = QStringLiteral("/proc"));
