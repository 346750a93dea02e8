#include "tests/support/FakeComDevice.h"

#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int FakeHandle = 1000;

} // namespace

FakeComDevice::FakeComDevice()
{
    if (pipe2(m_pipe, O_NONBLOCK | O_CLOEXEC) != 0)
        m_pipe[0] = m_pipe[1] = -1;
}

FakeComDevice::~FakeComDevice()
{
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void FakeComDevice::wake()
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_pipe[1], &byte, 1);
    m_changed.notify_all();
}

void FakeComDevice::toggleCounter(int lines, int times)
{
    if (lines & TIOCM_CTS)
        m_counters.cts += times;
    if (lines & TIOCM_DSR)
        m_counters.dsr += times;
    if (lines & TIOCM_RNG)
        m_counters.rng += times;
    if (lines & TIOCM_CD)
        m_counters.dcd += times;
}

void FakeComDevice::setLines(int lines)
{
    {
        std::lock_guard lock(m_mutex);
        toggleCounter(lines ^ m_lines, 1);
        m_lines = lines;
        ++m_changes;
    }
    wake();
}

void FakeComDevice::setLinesUnseen(int lines)
{
    std::lock_guard lock(m_mutex);
    toggleCounter(lines ^ m_lines, 1);
    m_lines = lines;
    ++m_changes;
}

void FakeComDevice::pulse(int lines)
{
    {
        std::lock_guard lock(m_mutex);
        toggleCounter(lines, 2);
        ++m_changes;
    }
    wake();
}

void FakeComDevice::unplug()
{
    {
        std::lock_guard lock(m_mutex);
        m_unplugged = true;
    }
    wake();
}

void FakeComDevice::replug()
{
    std::lock_guard lock(m_mutex);
    m_unplugged = false;
}

void FakeComDevice::failNextWait(int error)
{
    {
        std::lock_guard lock(m_mutex);
        m_waitErrors.push_back(error);
    }
    wake();
}

void FakeComDevice::setWaitSupported(bool on)
{
    std::lock_guard lock(m_mutex);
    m_waitSupported = on;
}

void FakeComDevice::setCountersSupported(bool on)
{
    std::lock_guard lock(m_mutex);
    m_countersSupported = on;
}

void FakeComDevice::setOpenError(int error)
{
    std::lock_guard lock(m_mutex);
    m_openError = error;
}

void FakeComDevice::setConfigureError(int error)
{
    std::lock_guard lock(m_mutex);
    m_configureError = error;
}

void FakeComDevice::onNextReadLines(std::function<void()> action)
{
    std::lock_guard lock(m_mutex);
    m_onReadLines = std::move(action);
}

bool FakeComDevice::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_open;
}

int FakeComDevice::openCount() const
{
    std::lock_guard lock(m_mutex);
    return m_opens;
}

int FakeComDevice::configureCount() const
{
    std::lock_guard lock(m_mutex);
    return m_configures;
}

int FakeComDevice::readLinesCount() const
{
    std::lock_guard lock(m_mutex);
    return m_reads;
}

int FakeComDevice::interruptedWaits() const
{
    std::lock_guard lock(m_mutex);
    return m_interrupted;
}

int FakeComDevice::waitCalls() const
{
    std::lock_guard lock(m_mutex);
    return m_waitCalls;
}

bool FakeComDevice::waitForWaitCalls(int count, int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_waitCalls >= count && m_waiting > 0; });
}

int FakeComDevice::readsBeforeLastWait() const
{
    std::lock_guard lock(m_mutex);
    return m_readsBeforeWait;
}

ComSettings FakeComDevice::lastSettings() const
{
    std::lock_guard lock(m_mutex);
    return m_settings;
}

int FakeComDevice::outputs() const
{
    std::lock_guard lock(m_mutex);
    return m_outputs;
}

bool FakeComDevice::waitUntilWaiting(int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_waiting > 0 || (!m_waitSupported && m_reads > 0); });
}

bool FakeComDevice::waitForChangeRead(int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_changesRead == m_changes; });
}

bool FakeComDevice::waitForReadLines(int count, int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_reads >= count; });
}

int FakeComDevice::open(const QString &)
{
    std::lock_guard lock(m_mutex);
    if (m_unplugged)
        return ENOENT;
    if (m_openError != 0)
        return m_openError;
    m_open = true;
    ++m_opens;
    return 0;
}

int FakeComDevice::configure(const ComSettings &settings)
{
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return EBADF;
    if (m_configureError != 0)
        return m_configureError;
    m_settings = settings;
    m_outputs = (settings.EnableDTR ? TIOCM_DTR : 0) | TIOCM_RTS;
    ++m_configures;
    return 0;
}

void FakeComDevice::close()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
}

int FakeComDevice::handle() const
{
    std::lock_guard lock(m_mutex);
    return m_open ? FakeHandle : -1;
}

int FakeComDevice::waitForChange(int lines)
{
    std::unique_lock lock(m_mutex);
    ++m_waitCalls;
    if (!m_open)
        return EBADF;
    if (!m_waitSupported)
        return ENOTTY;
    const ComCounters start = m_counters;
    auto moved = [&] {
        return ((lines & TIOCM_CTS) && m_counters.cts != start.cts) ||
               ((lines & TIOCM_DSR) && m_counters.dsr != start.dsr) ||
               ((lines & TIOCM_RNG) && m_counters.rng != start.rng) ||
               ((lines & TIOCM_CD) && m_counters.dcd != start.dcd);
    };
    m_readsBeforeWait = m_readsSinceWait;
    ++m_waiting;
    m_changed.notify_all();
    int result = 0;
    for (;;) {
        if (!m_waitErrors.empty()) {
            result = m_waitErrors.front();
            m_waitErrors.pop_front();
            break;
        }
        if (m_unplugged) {
            result = EIO;
            break;
        }
        if (moved())
            break;
        lock.unlock();
        pollfd fd = {m_pipe[0], POLLIN, 0};
        const int polled = ::poll(&fd, 1, -1);
        const int pollError = errno;
        char drain[64];
        while (::read(m_pipe[0], drain, sizeof drain) > 0) {
        }
        lock.lock();
        if (polled < 0 && pollError == EINTR) {
            ++m_interrupted;
            result = EINTR;
            break;
        }
    }
    --m_waiting;
    m_readsSinceWait = 0;
    return result;
}

int FakeComDevice::readLines(int &lines)
{
    std::function<void()> action;
    {
        std::lock_guard lock(m_mutex);
        if (!m_open)
            return EBADF;
        if (m_unplugged)
            return EIO;
        lines = m_lines | m_outputs;
        ++m_reads;
        ++m_readsSinceWait;
        m_changesRead = m_changes;
        action = std::move(m_onReadLines);
        m_onReadLines = nullptr;
    }
    m_changed.notify_all();
    if (action)
        action();
    return 0;
}

int FakeComDevice::readCounters(ComCounters &counters)
{
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return EBADF;
    if (m_unplugged)
        return EIO;
    if (!m_countersSupported)
        return ENOTTY;
    counters = m_counters;
    return 0;
}

int FakeComDevice::setOutputs(bool dtr, bool rts)
{
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return EBADF;
    m_outputs = (dtr ? TIOCM_DTR : 0) | (rts ? TIOCM_RTS : 0);
    return 0;
}

void FakeComDevice::setInterruptCpu(int cpu)
{
    std::lock_guard lock(m_mutex);
    m_interruptCpu = cpu;
}

int FakeComDevice::interruptCpu() const
{
    std::lock_guard lock(m_mutex);
    return m_interruptCpu;
}
