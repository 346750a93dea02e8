#pragma once

#include "comms/ComDevice.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// A scripted serial device. Its wait blocks in poll() on a pipe, so it behaves like the driver's
// modem-status wait: a line change wakes it, the wake signal ends it with EINTR, and it only sees
// changes after it started (an edge before the wait is left to the counters).
class FakeComDevice final : public ComDevice
{
public:
    FakeComDevice();
    ~FakeComDevice() override;
    FakeComDevice(const FakeComDevice &) = delete;
    FakeComDevice &operator=(const FakeComDevice &) = delete;

    // Script, from the test thread.
    void setLines(int lines); // TIOCM bits; each changed line counts one transition
    // As setLines, but a wait in progress does not see it: the edge fell just before the wait began.
    void setLinesUnseen(int lines);
    void pulse(int lines);              // on and off again (or off and on): two transitions, same level
    void unplug();                      // waits and reads fail with EIO, open with ENOENT
    void replug();                      // the device can be opened again
    void failNextWait(int error);       // the next wait returns this error (EINTR) at once
    void setWaitSupported(bool on);     // false: the wait fails with ENOTTY, as on CP210x
    void setCountersSupported(bool on); // false: no transition counters
    void setOpenError(int error);
    void setConfigureError(int error);
    void setInterruptCpu(int cpu); // the CPU the device's interrupts are said to arrive on
    // Runs once, inside the next readLines after the level was taken: an edge during the hand-over.
    void onNextReadLines(std::function<void()> action);

    // Observations.
    bool isOpen() const;
    int openCount() const;
    int configureCount() const;
    int readLinesCount() const;
    int interruptedWaits() const;
    int waitCalls() const;
    ComSettings lastSettings() const;
    int outputs() const; // TIOCM_DTR | TIOCM_RTS as last set
    // Waits until a thread is inside waitForChange (or polling reads), up to timeoutMs.
    bool waitUntilWaiting(int timeoutMs) const;
    bool waitForReadLines(int count, int timeoutMs) const;
    // Waits until the lines have been read since the last scripted change. Counting reads is not
    // enough: the thread also reads when it merely looks again.
    bool waitForChangeRead(int timeoutMs) const;
    bool waitForWaitCalls(int count, int timeoutMs) const;
    // Line reads between the end of one wait and the start of the latest: polls show here.
    int readsBeforeLastWait() const;

    int open(const QString &path) override;
    int configure(const ComSettings &settings) override;
    void close() override;
    int handle() const override;
    int waitForChange(int lines) override;
    int readLines(int &lines) override;
    int readCounters(ComCounters &counters) override;
    int setOutputs(bool dtr, bool rts) override;
    int interruptCpu() const override;

private:
    void wake();
    void toggleCounter(int lines, int times);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    int m_pipe[2] = {-1, -1};
    bool m_open = false;
    bool m_unplugged = false;
    bool m_waitSupported = true;
    bool m_countersSupported = true;
    int m_openError = 0;
    int m_configureError = 0;
    std::deque<int> m_waitErrors;
    std::function<void()> m_onReadLines;
    int m_lines = 0;
    int m_interruptCpu = -1;
    ComCounters m_counters;
    int m_outputs = 0;
    ComSettings m_settings;
    int m_opens = 0;
    int m_configures = 0;
    int m_reads = 0;
    int m_changes = 0;
    int m_changesRead = 0;
    int m_waiting = 0;
    int m_interrupted = 0;
    int m_waitCalls = 0;
    int m_readsSinceWait = 0;
    int m_readsBeforeWait = 0;
};
