#pragma once

#include <QString>

#include <functional>
#include <memory>

// Line settings of a port, as the component's properties give them.
enum TParity {
    prNone,
    prOdd,
    prEven,
    prMark,
    prSpace
};
enum TStopBits {
    sbOneStopBit,
    sbOne5StopBits,
    sbTwoStopBits
};

struct ComSettings
{
    int BaudRate = 9600;
    int DataBits = 8;
    TParity Parity = prNone;
    TStopBits StopBits = sbOneStopBit;
    bool EnableDTR = true;
};

// Transition counts of the modem-status inputs since the driver loaded.
struct ComCounters
{
    int cts = 0;
    int dsr = 0;
    int rng = 0;
    int dcd = 0;
    bool operator==(const ComCounters &) const = default;
};

// The few device calls the serial component makes. Lines are TIOCM_* bits; every call returns 0 or an
// errno value, so the wait thread can tell an interrupted wait (EINTR) from an unplugged adapter
// (EIO, ENODEV) and from a driver without a modem-status wait (ENOTTY).
class ComDevice
{
public:
    virtual ~ComDevice() = default;

    // Opens the device for exclusive use; nothing is configured yet.
    virtual int open(const QString &path) = 0;
    // Raw line settings without kernel flow control, then DTR and RTS on; complete before any wait.
    virtual int configure(const ComSettings &settings) = 0;
    virtual void close() = 0;
    // The descriptor, -1 while closed.
    virtual int handle() const = 0;

    // Blocks until one of the given input lines changes; a signal ends it with EINTR.
    virtual int waitForChange(int lines) = 0;
    virtual int readLines(int &lines) = 0;
    // ENOTTY or EINVAL where the driver keeps no counters.
    virtual int readCounters(ComCounters &counters) = 0;
    virtual int setOutputs(bool dtr, bool rts) = 0;

    // The one CPU that takes the device's interrupts, -1 when unknown or spread over several. A wait
    // thread on that CPU is woken without a cross-CPU wake-up, which costs a VM a good part of a
    // millisecond now and then.
    virtual int interruptCpu() const { return -1; }
};

using ComDeviceFactory = std::function<std::unique_ptr<ComDevice>()>;

// The device new ports get when none is handed to them: the Linux device unless a test replaced it.
std::unique_ptr<ComDevice> createComDevice();
// Replaces the factory while it lives (an empty one: the Linux device); the previous one comes back after.
class ComDeviceFactoryScope
{
public:
    explicit ComDeviceFactoryScope(ComDeviceFactory factory);
    ~ComDeviceFactoryScope();
    Q_DISABLE_COPY_MOVE(ComDeviceFactoryScope)

private:
    ComDeviceFactory m_previous;
};
