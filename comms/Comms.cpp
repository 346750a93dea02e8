#include "comms/Comms.h"

#include "comms/ComPorts.h"
#include "comms/ComThread.h"

#include <array>
#include <cerrno>
#include <string>
#include <utility>

#include <sys/ioctl.h>

namespace {

constexpr std::array<int, 16> BaudValues = {110,   300,   600,   1200,  2400,   4800,   9600,   14400,
                                            19200, 38400, 56000, 57600, 115200, 128000, 256000, 0};

} // namespace

quint32 eventMaskBit(TEvent event)
{
    static constexpr std::array<quint32, 9> Bits = {EV_RXCHAR, EV_TXEMPTY, EV_RXFLAG, EV_RING, EV_BREAK,
                                                    EV_CTS,    EV_DSR,     EV_ERR,    EV_RLSD};
    return Bits[std::size_t(event)];
}

quint32 modemStatusWord(int tiocmLines)
{
    return ((tiocmLines & TIOCM_CTS) ? MS_CTS_ON : 0u) | ((tiocmLines & TIOCM_DSR) ? MS_DSR_ON : 0u) |
           ((tiocmLines & TIOCM_RNG) ? MS_RING_ON : 0u) | ((tiocmLines & TIOCM_CD) ? MS_RLSD_ON : 0u);
}

int baudRateValue(TBaudRate rate, int user)
{
    return rate == brUser ? user : BaudValues[std::size_t(rate)];
}

EComError::EComError(const char *prefix, int code, const QString &path)
    : std::runtime_error(std::string(prefix) + std::to_string(code))
    , m_code(code)
    , m_path(path)
{}

QString EComError::userText() const
{
    return comOpenErrorText(m_code, m_path);
}

EComHandle::EComHandle(int code, const QString &path)
    : EComError("Unable to open com port: ", code, path)
{}

EComState::EComState(int code, const QString &path)
    : EComError("Unable to set com state: ", code, path)
{}

TComPort::TComPort(QObject *owner, std::unique_ptr<ComDevice> device)
    : QObject(owner)
    , m_device(device ? std::move(device) : createComDevice())
{}

TComPort::~TComPort()
{
    Close();
}

void TComPort::setDataBits(int bits)
{
    if (bits == m_dataBits)
        return;
    m_dataBits = qBound(5, bits, 8);
}

int TComPort::Handle() const
{
    return m_connected && m_online ? m_device->handle() : -1;
}

QString TComPort::devicePath() const
{
    return comDevicePath(m_port);
}

std::optional<quint32> TComPort::liveModemStatus() const
{
    const quint32 status = m_liveStatus.load();
    if (!m_connected || status == NoLiveStatus)
        return std::nullopt;
    return status;
}

ComSettings TComPort::settings() const
{
    ComSettings s;
    s.BaudRate = baudRateValue(m_baudRate, m_baudRateUser);
    s.DataBits = m_dataBits;
    s.Parity = m_parity;
    s.StopBits = m_stopBits;
    s.EnableDTR = m_enableDTR;
    return s;
}

void TComPort::Open()
{
    Close();
    CreateHandle();
    try {
        SetupState();
    } catch (...) {
        // Not connected, so Close would never release it; keep the device free for the next try.
        DestroyHandle();
        throw;
    }
    ++m_generation;
    m_online = true;
    m_thread = std::make_unique<TComThread>(this);
    m_connected = true;
    emit OnOpen(this);
    emit modemStatusChanged();
}

void TComPort::Close()
{
    if (!m_connected)
        return;
    m_thread.reset();
    DestroyHandle();
    m_connected = false;
    m_online = false;
    m_liveStatus.store(NoLiveStatus);
    ++m_generation;
    emit OnClose(this);
    emit modemStatusChanged();
}

void TComPort::CreateHandle()
{
    m_path = comDevicePath(m_port);
    if (m_path.isEmpty())
        throw EComHandle(ENOENT, m_path);
    if (const int error = m_device->open(m_path))
        throw EComHandle(error, m_path);
}

void TComPort::SetupState()
{
    if (const int error = m_device->configure(settings()))
        throw EComState(error, m_path);
}

void TComPort::DestroyHandle()
{
    m_device->close();
}

void TComPort::deliver(quint64 generation, const ComEvent &event)
{
    if (generation != m_generation || !m_connected)
        return;
    switch (event.kind) {
    case ComEvent::Lost:
        m_online = false;
        emit OnClose(this);
        break;
    case ComEvent::Reopened:
        m_online = true;
        emit OnOpen(this);
        break;
    case ComEvent::Lines: DoEvents(event); break;
    }
    if (generation == m_generation)
        emit modemStatusChanged();
}

// The events in their fixed order; a handler that closes the port ends the round.
void TComPort::DoEvents(const ComEvent &event)
{
    const quint64 generation = m_generation;
    m_eventStatus = event.status;
    m_eventStamp = event.stamp;
    if (event.mask & EV_RXCHAR) {
        m_currentEvent = EV_RXCHAR;
        emit OnRxChar(this, 0);
        if (generation != m_generation)
            return;
    }
    using Notify = void (TComPort::*)(TComPort *);
    static constexpr std::array<std::pair<quint32, Notify>, 8> Table = {{{EV_TXEMPTY, &TComPort::OnTxEmpty},
                                                                         {EV_BREAK, &TComPort::OnBreak},
                                                                         {EV_RING, &TComPort::OnRing},
                                                                         {EV_CTS, &TComPort::OnCTS},
                                                                         {EV_DSR, &TComPort::OnDSR},
                                                                         {EV_RXFLAG, &TComPort::OnRxFlag},
                                                                         {EV_RLSD, &TComPort::OnRLSD},
                                                                         {EV_ERR, &TComPort::OnError}}};
    for (const auto &[bit, notify] : Table) {
        if (!(event.mask & bit))
            continue;
        m_currentEvent = bit;
        (this->*notify)(this);
        if (generation != m_generation)
            return;
    }
    m_currentEvent = 0;
}
