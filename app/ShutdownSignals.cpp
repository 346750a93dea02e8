#include "app/ShutdownSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<int> writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");

// Async-signal-safe: one write, errno kept for the interrupted code. A full pipe loses nothing that
// matters, a notice of an end is already waiting.
void onSignal(int number)
{
    const int savedErrno = errno;
    const char byte = char(number);
    if (const int fd = writeEnd.load(); fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

ShutdownSignals::ShutdownSignals(QObject *parent)
    : QObject(parent)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the default action stays: the program ends without its settings, as before
    m_readEnd = ends[0];
    writeEnd.store(ends[1]);
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ShutdownSignals::readPipe);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < std::size(Handled); ++i)
        ::sigaction(Handled[i], &action, &m_previous[i]);
}

ShutdownSignals::~ShutdownSignals()
{
    if (m_readEnd < 0)
        return;
    for (std::size_t i = 0; i < std::size(Handled); ++i)
        ::sigaction(Handled[i], &m_previous[i], nullptr);
    ::close(writeEnd.exchange(-1));
    ::close(m_readEnd);
}

void ShutdownSignals::readPipe()
{
    char numbers[16];
    ssize_t count = 0;
    while ((count = ::read(m_readEnd, numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            emit received(numbers[i]);
    }
}
