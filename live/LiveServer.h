#pragma once

#include "live/LivePages.h"

#include <QHostAddress>
#include <QObject>
#include <QThread>

#include <chrono>
#include <memory>

namespace Live {
class HttpServer;
struct Published;
} // namespace Live

// The live pages on the local network: `/`, `/live.json` and `/protokoll.html`, GET and HEAD only.
// It serves from a thread of its own and only reads the state it was given last, so no client,
// however slow or hostile, reaches the main thread or the results.
class LiveServer : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        qint64 requestBytes = qint64(8) * 1024;
        int connections = 256;
        // A connection that brought no complete request for this long is closed.
        std::chrono::milliseconds idle{30000};
    };

    explicit LiveServer(QObject *parent = nullptr);
    ~LiveServer() override;
    LiveServer(const LiveServer &) = delete;
    LiveServer &operator=(const LiveServer &) = delete;

    void setLimits(const Limits &limits) { m_limits = limits; } // for the next listen()
    // Starts listening (after closing what listened before); answers with listening() or failed().
    void listen(quint16 port, const QHostAddress &address = QHostAddress::Any);
    void close();
    // Between listen() and close(); listening may still be under way or have failed.
    bool isOpen() const { return m_open; }

    // The state the pages show from now on. Cheap: the pages are made in the server's thread.
    void publish(std::shared_ptr<const Live::State> state);

    // The German text for a port that cannot be listened on.
    static QString listenErrorText(quint16 port, const QString &reason, bool inUse);

signals:
    void listening(quint16 port);
    void failed(const QString &text);

private:
    QThread m_thread;
    QObject *m_context = nullptr; // lives in m_thread: what runs there runs through it
    Live::HttpServer *m_http = nullptr;
    std::shared_ptr<Live::Published> m_published;
    Limits m_limits;
    bool m_open = false;
};
