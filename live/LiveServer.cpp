#include "live/LiveServer.h"

#include "platform/ThreadPriority.h"
#include "platform/TickCount.h"

#include <QAbstractHttpServer>
#include <QDeadlineTimer>
#include <QHash>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMutex>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#include <sys/socket.h>

namespace Live {

// The state published last, handed from the main thread to the server's.
struct Published
{
    QMutex mutex;
    std::shared_ptr<const State> state;
};

namespace {

using StatusCode = QHttpServerResponder::StatusCode;

// Answers the server writes itself, where no request was parsed.
constexpr char TooLarge[] =
    "HTTP/1.1 413 Payload Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
constexpr char TooMany[] =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
// A refused request's rest is read and dropped for this long, so the client sees the answer
// instead of a reset connection, and no more than this much of it.
constexpr int LingerMs = 2000;
constexpr qint64 LingerBytes = qint64(1024) * 1024;
// A client that leaves this much of its answers unread gets no further answer.
constexpr qint64 MaxUnsent = qint64(4) * 1024 * 1024;

enum class Page {
    Phone,
    Json,
    Protocol,
    None
};

Page pageOf(const QString &path)
{
    if (path == u"/")
        return Page::Phone;
    if (path == u"/live.json")
        return Page::Json;
    if (path == u"/protokoll.html")
        return Page::Protocol;
    return Page::None;
}

} // namespace

// Takes the connections for the HTTP server and holds the limits Qt's server does not know: the
// number of connections, the size of a request not yet answered, and the time without a request.
// Its slot on each connection's readyRead runs before the HTTP server's, so a request over the
// limit is refused before any of it is parsed.
class ConnectionGate : public QTcpServer
{
public:
    explicit ConnectionGate(const LiveServer::Limits &limits)
        : m_limits(limits)
    {
        m_sweep.setInterval(int(std::clamp<qint64>(m_limits.idle.count() / 4, 10, 1000)));
        connect(&m_sweep, &QTimer::timeout, this, &ConnectionGate::sweep);
        m_sweep.start();
    }

    // A complete request came on the socket: its count starts anew.
    void answered(QTcpSocket *socket)
    {
        const auto found = m_connections.find(socket);
        if (found == m_connections.end())
            return;
        found->pending = 0;
        found->idle.setRemainingTime(m_limits.idle);
    }

protected:
    void incomingConnection(qintptr handle) override
    {
        auto *socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(handle)) {
            delete socket;
            return;
        }
        if (openConnections() >= m_limits.connections) {
            connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
            socket->write(TooMany);
            socket->disconnectFromHost();
            return;
        }
        Connection &connection = m_connections[socket];
        connection = Connection{socket, 0, QDeadlineTimer(m_limits.idle), false};
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { received(socket); });
        addPendingConnection(socket);
    }

private:
    struct Connection
    {
        QPointer<QTcpSocket> socket;
        qint64 pending = 0; // bytes received since the last complete request
        QDeadlineTimer idle;
        bool refused = false;
    };

    int openConnections()
    {
        // Qt's server drops every handler of a connection whose request it cannot parse: such a
        // socket is only found here, and the sweep closes it.
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (it->socket)
                ++it;
            else
                it = m_connections.erase(it);
        }
        return int(m_connections.size());
    }

    void received(QTcpSocket *socket)
    {
        const auto found = m_connections.find(socket);
        if (found == m_connections.end())
            return;
        Connection &connection = *found;
        if (connection.refused) {
            connection.pending += socket->readAll().size();
            if (connection.pending > LingerBytes)
                socket->abort();
            return;
        }
        connection.pending += socket->bytesAvailable();
        if (connection.pending > m_limits.requestBytes)
            refuse(connection);
    }

    void refuse(Connection &connection)
    {
        QTcpSocket *socket = connection.socket;
        connection.refused = true;
        connection.pending = 0;
        connection.idle.setRemainingTime(LingerMs);
        // The HTTP server never sees the rest; what it parsed so far goes with the connection.
        disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { received(socket); });
        if (socket->isTransactionStarted())
            socket->rollbackTransaction();
        socket->readAll();
        socket->write(TooLarge);
        socket->flush();
        ::shutdown(int(socket->socketDescriptor()), SHUT_WR);
    }

    void sweep()
    {
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (it->socket && !it->idle.hasExpired()) {
                ++it;
                continue;
            }
            if (it->socket) {
                it->socket->abort();
                it->socket->deleteLater();
            }
            it = m_connections.erase(it);
        }
    }

    LiveServer::Limits m_limits;
    QHash<QTcpSocket *, Connection> m_connections;
    QTimer m_sweep;
};

// Qt's HTTP server, answering the three pages from the state published last.
class HttpServer final : public QAbstractHttpServer
{
public:
    HttpServer(std::shared_ptr<Published> published, const LiveServer::Limits &limits)
        : m_published(std::move(published))
        , m_gate(new ConnectionGate(limits))
    {}
    ~HttpServer() override
    {
        if (!m_bound)
            delete m_gate; // once bound, it is a child and goes with the server
    }

    bool start(quint16 port, const QHostAddress &address, QString *error)
    {
        if (!m_gate->listen(address, port)) {
            *error = LiveServer::listenErrorText(port, m_gate->errorString(),
                                                 m_gate->serverError() == QAbstractSocket::AddressInUseError);
            return false;
        }
        bind(m_gate);
        m_bound = true;
        return true;
    }

    quint16 port() const { return m_gate->serverPort(); }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        m_gate->answered(socket);
        if (socket->bytesToWrite() > MaxUnsent) {
            socket->abort();
            return true;
        }
        respond(request, socket);
        // Qt's server keeps every connection open; a client that asks otherwise is let go.
        if (request.value("connection").compare("close", Qt::CaseInsensitive) == 0)
            socket->disconnectFromHost();
        return true;
    }

    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        QHttpServerResponder responder = makeResponder(request, socket);
        answer(responder, StatusCode::NotFound, "text/plain; charset=utf-8", "Nicht gefunden\n", false);
    }

private:
    void respond(const QHttpServerRequest &request, QTcpSocket *socket)
    {
        QHttpServerResponder responder = makeResponder(request, socket);
        const Page page = pageOf(request.url().path());
        const bool head = request.method() == QHttpServerRequest::Method::Head;
        if (page == Page::None) {
            answer(responder, StatusCode::NotFound, "text/plain; charset=utf-8", "Nicht gefunden\n", head);
            return;
        }
        if (request.method() != QHttpServerRequest::Method::Get && !head) {
            responder.writeStatusLine(StatusCode::MethodNotAllowed);
            responder.writeHeader("Allow", "GET, HEAD");
            answer(responder, StatusCode::MethodNotAllowed, "text/plain; charset=utf-8", "Nur GET und HEAD\n",
                   false, false);
            return;
        }
        std::shared_ptr<const State> state;
        {
            const QMutexLocker lock(&m_published->mutex);
            state = m_published->state;
        }
        if (!state)
            state = std::make_shared<const State>();
        if (state != m_pagesOf) {
            m_pagesOf = state;
            m_phone.clear();
            m_protocol.clear();
            m_standing.clear();
        }
        switch (page) {
        case Page::Phone:
            if (m_phone.isEmpty())
                m_phone = phonePage(*state, PageKind::Served, monotonicMicros());
            answer(responder, StatusCode::Ok, "text/html; charset=utf-8", m_phone, head);
            break;
        case Page::Json:
            // A running lane's time is the time of the answer; the rest stands until the next state.
            if (m_standing.isEmpty())
                m_standing = standingJson(*state);
            answer(responder, StatusCode::Ok, "application/json", json(*state, m_standing, monotonicMicros()),
                   head);
            break;
        case Page::Protocol:
            if (m_protocol.isEmpty())
                m_protocol = protocolPage(*state);
            answer(responder, StatusCode::Ok, "text/html; charset=iso-8859-1", m_protocol, head);
            break;
        case Page::None: break;
        }
    }

    // HEAD gets the headers of GET and no body.
    static void answer(QHttpServerResponder &responder, StatusCode status, const QByteArray &type,
                       const QByteArray &body, bool head, bool statusLine = true)
    {
        if (statusLine)
            responder.writeStatusLine(status);
        responder.writeHeader("Content-Type", type);
        responder.writeHeader("Content-Length", QByteArray::number(body.size()));
        responder.writeHeader("Cache-Control", "no-store");
        responder.writeHeader("X-Content-Type-Options", "nosniff");
        responder.writeBody(head ? QByteArray() : body);
    }

    std::shared_ptr<Published> m_published;
    ConnectionGate *m_gate;
    bool m_bound = false;
    std::shared_ptr<const State> m_pagesOf;
    QByteArray m_phone, m_protocol, m_standing;
};

} // namespace Live

LiveServer::LiveServer(QObject *parent)
    : QObject(parent)
    , m_published(std::make_shared<Live::Published>())
{
    m_thread.setObjectName(QStringLiteral("LiveServer"));
    connect(&m_thread, &QThread::started, &lowerCurrentThreadPriority); // runs in the new thread
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_thread.start();
}

LiveServer::~LiveServer()
{
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            delete m_http;
            m_http = nullptr;
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void LiveServer::listen(quint16 port, const QHostAddress &address)
{
    close();
    m_open = true;
    QMetaObject::invokeMethod(m_context, [this, port, address, limits = m_limits] {
        auto *http = new Live::HttpServer(m_published, limits);
        QString error;
        if (!http->start(port, address, &error)) {
            delete http;
            QMetaObject::invokeMethod(this, [this, error] { emit failed(error); });
            return;
        }
        http->setParent(m_context);
        m_http = http;
        QMetaObject::invokeMethod(this, [this, actual = http->port()] { emit listening(actual); });
    });
}

void LiveServer::close()
{
    m_open = false;
    QMetaObject::invokeMethod(m_context, [this] {
        delete m_http;
        m_http = nullptr;
    });
}

void LiveServer::publish(std::shared_ptr<const Live::State> state)
{
    const QMutexLocker lock(&m_published->mutex);
    m_published->state = std::move(state);
}

QString LiveServer::listenErrorText(quint16 port, const QString &reason, bool inUse)
{
    if (inUse)
        return QStringLiteral("Die Live-Ergebnisse können nicht gezeigt werden: Port %1 ist schon belegt. "
                              "Bitte in den Einstellungen einen anderen Port wählen.")
            .arg(port);
    return QStringLiteral("Die Live-Ergebnisse können auf Port %1 nicht gezeigt werden: %2")
        .arg(port)
        .arg(reason);
}
