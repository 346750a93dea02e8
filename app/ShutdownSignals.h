#pragma once

#include <QObject>

#include <iterator>

#include <signal.h>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (shutdown, logout, a closed or interrupted terminal) as a Qt signal on
// the main thread, so the program can end as the operator would end it. The C handler only writes
// the signal's number into a pipe whose other end a socket notifier watches. A second signal of the
// same kind ends the program at once, should the orderly end hang. One instance at a time.
class ShutdownSignals : public QObject
{
    Q_OBJECT

public:
    explicit ShutdownSignals(QObject *parent = nullptr);
    ~ShutdownSignals() override; // puts the previous handlers back

    static constexpr int Handled[] = {SIGTERM, SIGHUP, SIGINT};

signals:
    void received(int signalNumber);

private:
    void readPipe();

    int m_readEnd = -1;
    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previous[std::size(Handled)] = {};
};
