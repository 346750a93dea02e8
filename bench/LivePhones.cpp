// The phones of live_bench, in a process of their own as phones are devices of their own: each of
// 200 connections to 127.0.0.1:<port> asks for /live.json half a second after its last answer was
// complete. Prints "answered <n>" after each hundred answers; when its input closes it prints
// "times <ms> <ms> ..." (each answer's time from the request's write to its last byte) and ends.
#include "platform/TickCount.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Phones = 200;
constexpr quint64 PollMicros = 500000;

class PhoneCrowd : public QObject
{
public:
    explicit PhoneCrowd(quint16 port)
    {
        m_times.reserve(100000);
        const quint64 now = monotonicMicros();
        for (int i = 0; i < Phones; ++i) {
            auto *socket = new QTcpSocket(this);
            socket->connectToHost(QHostAddress::LocalHost, port);
            m_phones.push_back({socket, {}, -1, 0, now + PollMicros * quint64(i) / Phones, false});
            connect(socket, &QTcpSocket::readyRead, this, [this, i] { received(m_phones[size_t(i)]); });
        }
        m_tick.setTimerType(Qt::PreciseTimer);
        connect(&m_tick, &QTimer::timeout, this, &PhoneCrowd::ask);
        m_tick.start(2);
    }

    void report() const
    {
        std::printf("times");
        for (double ms : m_times)
            std::printf(" %.3f", ms);
        std::printf("\n");
        std::fflush(stdout);
    }

private:
    struct Phone
    {
        QTcpSocket *socket;
        QByteArray buffer;
        qsizetype expected; // the answer's length once its header is in, -1 before
        quint64 sentAt;
        quint64 due;
        bool waiting;
    };

    void ask()
    {
        const quint64 now = monotonicMicros();
        for (Phone &phone : m_phones) {
            if (phone.waiting || phone.due > now || phone.socket->state() != QAbstractSocket::ConnectedState)
                continue;
            phone.socket->write("GET /live.json HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
            phone.sentAt = now;
            phone.due = now + PollMicros;
            phone.waiting = true;
        }
    }

    void received(Phone &phone)
    {
        phone.buffer += phone.socket->readAll();
        if (phone.expected < 0) {
            const qsizetype end = phone.buffer.indexOf("\r\n\r\n");
            const qsizetype length = phone.buffer.indexOf("Content-Length: ");
            if (end < 0 || length < 0)
                return;
            const qsizetype lineEnd = phone.buffer.indexOf("\r\n", length);
            phone.expected = end + 4 + phone.buffer.mid(length + 16, lineEnd - length - 16).toLongLong();
        }
        if (phone.buffer.size() < phone.expected)
            return;
        m_times.push_back(double(monotonicMicros() - phone.sentAt) / 1000.0);
        phone.buffer.remove(0, phone.expected);
        phone.expected = -1;
        phone.waiting = false;
        if (m_times.size() % 100 == 0) {
            std::printf("answered %zu\n", m_times.size());
            std::fflush(stdout);
        }
    }

    std::vector<Phone> m_phones;
    std::vector<double> m_times;
    QTimer m_tick;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto port = args.size() > 1 ? args[1].toUShort() : quint16(0);
    if (port == 0) {
        std::fprintf(stderr, "usage: live_phones <port>\n");
        return 2;
    }
    PhoneCrowd crowd(port);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            QCoreApplication::quit();
    });
    QCoreApplication::exec();
    crowd.report();
    return 0;
}
