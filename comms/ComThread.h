#pragma once

#include "comms/Comms.h"

#include <atomic>
#include <thread>

// What the wait thread hands to the main thread: a change of input lines with the modem-status word
// read in the thread and the stamp (monotonic microseconds) taken the moment the wait returned, or the
// loss and the return of the device.
struct ComEvent
{
    enum Kind {
        Lines,
        Lost,
        Reopened
    };
    Kind kind = Lines;
    quint32 mask = 0;   // EV_* bits
    quint32 status = 0; // MS_* bits
    quint64 stamp = 0;
};

// The wait thread of one open port. It owns the device while it runs: it sleeps until an input line
// changes and posts every change to the port, queued and in order, without waiting for the handler.
// After an unplug it closes the device and tries to reopen it about once a second.
class TComThread
{
public:
    explicit TComThread(TComPort *port);
    ~TComThread();
    TComThread(const TComThread &) = delete;
    TComThread &operator=(const TComThread &) = delete;

    // Asks the thread to end and wakes it; the destructor waits for it.
    void Stop();

private:
    struct Baseline
    {
        bool valid = false;
        bool hasCounters = false;
        ComCounters counters;
        int lines = 0;
    };

    void Execute();
    bool readBaseline(Baseline &base);
    bool countersMoved(const Baseline &base);
    bool sample(Baseline &base, quint64 stamp, bool &posted);
    void lose(Baseline &base);
    bool reopen(Baseline &base);
    void followInterrupt();
    void sleepFor(int ms);
    void post(const ComEvent &event);

    TComPort *m_port;
    ComDevice *m_device;
    QString m_path;
    ComSettings m_settings;
    int m_waitLines;
    int m_reopenMs;
    quint64 m_generation;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};
