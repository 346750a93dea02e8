#pragma once

#include "comms/ComDevice.h"

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

enum TBaudRate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br76500, // 57600 baud: no UART runs at 76500, the standard rate was meant; the name is kept
    br115200,
    br128000,
    br256000,
    brUser
};
enum TFlowControl {
    fcNone,
    fcRtsCts,
    fcXonXoff
};

// Bit i of a TEvents set is the TEvent with value i.
enum TEvent {
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD
};
using TEvents = quint32;
constexpr TEvents eventSet(std::initializer_list<TEvent> events)
{
    TEvents set = 0;
    for (TEvent e : events)
        set |= 1u << e;
    return set;
}
constexpr TEvents AllEvents = 0x1FF;

// Event-mask bits, one per TEvent, as the event table and DoEvents use them.
enum : quint32 {
    EV_RXCHAR = 0x0001,
    EV_RXFLAG = 0x0002,
    EV_TXEMPTY = 0x0004,
    EV_CTS = 0x0008,
    EV_DSR = 0x0010,
    EV_RLSD = 0x0020,
    EV_BREAK = 0x0040,
    EV_ERR = 0x0080,
    EV_RING = 0x0100
};
quint32 eventMaskBit(TEvent event);

// The modem-status word: which input lines are on.
enum : quint32 {
    MS_CTS_ON = 0x10,
    MS_DSR_ON = 0x20,
    MS_RING_ON = 0x40,
    MS_RLSD_ON = 0x80
};
quint32 modemStatusWord(int tiocmLines);

// The modem-status bit of each input line a contact can use, indexed by the line setting: 0 DSR (a
// contact between pins 4 and 6), 1 CTS (pins 7 and 8).
inline constexpr std::array<quint32, 2> LineMask = {MS_DSR_ON, MS_CTS_ON};

int baudRateValue(TBaudRate rate, int user);

// Open failures. code() is the errno value the message ends with; userText() is the operator's
// message for a failure he can fix (no permission, port in use), empty otherwise.
class EComError : public std::runtime_error
{
public:
    EComError(const char *prefix, int code, const QString &path);
    int code() const { return m_code; }
    QString path() const { return m_path; }
    QString userText() const;

private:
    int m_code;
    QString m_path;
};
class EComHandle : public EComError
{
public:
    EComHandle(int code, const QString &path);
};
class EComState : public EComError
{
public:
    EComState(int code, const QString &path);
};

// How a wait thread asks for real-time scheduling for itself: 0 when granted, else an errno value.
// By default SCHED_FIFO at the lowest real-time priority; where the system refuses (no rtprio right),
// the thread runs normally. Tests replace the request while a scope lives (an empty one: the default).
using RealtimeRequest = std::function<int()>;
class RealtimeRequestScope
{
public:
    explicit RealtimeRequestScope(RealtimeRequest request);
    ~RealtimeRequestScope();
    Q_DISABLE_COPY_MOVE(RealtimeRequestScope)

private:
    RealtimeRequest m_previous;
};

// The wait thread of an open port and what it hands over (comms/ComThread.h, inside comms only).
class TComThread;
struct ComEvent;

// A serial port whose modem-status input lines are watched. Events run on the thread that owns the
// component (the main thread).
class TComPort : public QObject
{
    Q_OBJECT

public:
    // device: the device layer to use; by default createComDevice().
    explicit TComPort(QObject *owner = nullptr, std::unique_ptr<ComDevice> device = nullptr);
    ~TComPort() override;

    TBaudRate BaudRate() const { return m_baudRate; }
    void setBaudRate(TBaudRate rate) { m_baudRate = rate; }
    int BaudRateUser() const { return m_baudRateUser; }
    void setBaudRateUser(int baud) { m_baudRateUser = baud; }
    int Port() const { return m_port; }
    void setPort(quint8 port) { m_port = port; }
    TParity Parity() const { return m_parity; }
    void setParity(TParity parity) { m_parity = parity; }
    TStopBits StopBits() const { return m_stopBits; }
    void setStopBits(TStopBits bits) { m_stopBits = bits; }
    // Kept for the design values only: the kernel never does flow control, RTS stays on for contacts.
    TFlowControl FlowControl() const { return m_flowControl; }
    void setFlowControl(TFlowControl flow) { m_flowControl = flow; }
    int DataBits() const { return m_dataBits; }
    void setDataBits(int bits);
    TEvents Events() const { return m_events; }
    void setEvents(TEvents events) { m_events = events & AllEvents; }
    bool EnableDTR() const { return m_enableDTR; }
    void setEnableDTR(bool on) { m_enableDTR = on; }
    int WriteBufSize() const { return m_writeBufSize; }
    void setWriteBufSize(int size) { m_writeBufSize = size; }
    int ReadBufSize() const { return m_readBufSize; }
    void setReadBufSize(int size) { m_readBufSize = size; }
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // Opens the port and starts watching; throws EComHandle or EComState. An open port is closed first.
    void Open();
    // Stops watching and closes the port; nothing when not connected.
    void Close();
    bool Connected() const { return m_connected; }
    // False while an unplugged device is away (the port stays connected and waits for it).
    bool isOnline() const { return m_connected && m_online; }
    // The device descriptor, -1 while not open.
    int Handle() const;
    // The device path the port number names.
    QString devicePath() const;

    // Inside an event handler: the modem-status word read with the event, the stamp (monotonic
    // microseconds) taken the moment the line change woke the wait thread, and the EV_* bit of the
    // handler being called.
    quint32 modemStatus() const { return m_eventStatus; }
    quint64 eventStamp() const { return m_eventStamp; }
    quint32 currentEvent() const { return m_currentEvent; }

    // The latest modem-status word the wait thread read; empty while the device is not open. Safe to
    // call at any time, for a lamp that shows the live line state.
    std::optional<quint32> liveModemStatus() const;

    // How long the wait thread waits between attempts to reopen an unplugged device.
    void setReopenInterval(int ms) { m_reopenMs = ms; }
    int reopenInterval() const { return m_reopenMs; }

    ComDevice *device() const { return m_device.get(); }

    // Whether the wait thread got real-time scheduling (see RealtimeRequestScope).
    bool isRealtime() const { return m_realtime.load(); }
    // Changes the kernel's wait did not report, found by the look before the wait or a guard's knock.
    int guardFinds() const { return m_guardFinds.load(); }
    // The CPU the real-time wait thread keeps to, the one that takes the device's interrupts; -1 when
    // it runs wherever the scheduler puts it.
    int waitCpu() const { return m_waitCpu.load(); }

signals:
    // One per watched event, in this order for one wait. Only the line events can occur: the ports
    // carry no data, so OnRxChar, OnTxEmpty, OnRxFlag, OnBreak and OnError are never emitted. A
    // handler that closes the port ends the round.
    void OnRxChar(TComPort *sender, int InQue);
    void OnTxEmpty(TComPort *sender);
    void OnBreak(TComPort *sender);
    void OnRing(TComPort *sender);
    void OnCTS(TComPort *sender);
    void OnDSR(TComPort *sender);
    void OnRxFlag(TComPort *sender);
    void OnRLSD(TComPort *sender);
    void OnError(TComPort *sender);
    // After the port opened or closed, and after the device went away or came back.
    void OnOpen(TComPort *sender);
    void OnClose(TComPort *sender);
    // The live modem status changed or the device opened or went away (main thread).
    void modemStatusChanged();

protected:
    void CreateHandle();
    void SetupState();
    void DestroyHandle();

private:
    friend class TComThread;

    void deliver(quint64 generation, const ComEvent &event);
    void DoEvents(const ComEvent &event);
    ComSettings settings() const;

    TBaudRate m_baudRate = br9600;
    int m_baudRateUser = 28800;
    quint8 m_port = 1;
    TParity m_parity = prNone;
    TStopBits m_stopBits = sbOneStopBit;
    TFlowControl m_flowControl = fcNone;
    int m_dataBits = 8;
    TEvents m_events = AllEvents;
    bool m_enableDTR = true;
    int m_writeBufSize = 2048;
    int m_readBufSize = 2048;
    int m_tag = 0;
    int m_reopenMs = 1000;

    std::unique_ptr<ComDevice> m_device;
    std::unique_ptr<TComThread> m_thread;
    QString m_path;
    bool m_connected = false;
    bool m_online = false;
    // Counts connections, so events of a closed connection still in the queue are dropped.
    quint64 m_generation = 0;

    quint32 m_eventStatus = 0;
    quint64 m_eventStamp = 0;
    quint32 m_currentEvent = 0;
    // Written by the wait thread; bit 31 set while no device is open.
    std::atomic<quint32> m_liveStatus{NoLiveStatus};
    std::atomic<bool> m_realtime{false};
    std::atomic<int> m_guardFinds{0};
    std::atomic<int> m_waitCpu{-1};
    static constexpr quint32 NoLiveStatus = 0x80000000u;
};
