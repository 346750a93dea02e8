#include "live/LiveServer.h"
#include "tests/live/Heat.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace {

// Sends the bytes and reads until the server closes the connection.
QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write(request);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
        answer += socket.readAll();
    return answer + socket.readAll();
}

QByteArray request(const QByteArray &method, const QByteArray &path, const QByteArray &more = {})
{
    return method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + more + "\r\n";
}

} // namespace

TEST(LiveServer, AnswersOnlyGetAndHeadOfItsPagesAndRefusesTheRest)
{
    Heat heat;
    LiveServer server;
    server.publish(std::make_shared<const Live::State>(Live::snapshot(heat.results, heat.race, {}, {})));
    QSignalSpy listening(&server, &LiveServer::listening);
    server.listen(0, QHostAddress::LocalHost);
    ASSERT_TRUE(listening.wait(5000));
    const auto port = listening.constFirst().constFirst().value<quint16>();

    const QByteArray large(qsizetype(100) * 1024, 'x');
    const QList<std::pair<QByteArray, QByteArray>> cases = {
        // request, status line
        {request("GET", "/live.json"), "HTTP/1.1 200 "},
        {request("GET", "/protokoll.html?t=1"), "HTTP/1.1 200 "},
        {request("HEAD", "/"), "HTTP/1.1 200 "},
        {request("POST", "/", "Content-Length: 4\r\n") + "Zeit", "HTTP/1.1 405 "},
        {request("PUT", "/live.json", "Content-Length: 0\r\n"), "HTTP/1.1 405 "},
        {request("GET", "/../settings"), "HTTP/1.1 404 "},
        {request("GET", "/", "X-Pad: " + large + "\r\n"), "HTTP/1.1 413 "},
        {request("POST", "/live.json", "Content-Length: 102400\r\n") + large, "HTTP/1.1 413 "},
    };
    for (const auto &[sent, status] : cases) {
        const QByteArray answer = exchange(port, sent);
        EXPECT_TRUE(answer.startsWith(status))
            << sent.left(40).toStdString() << " -> " << answer.left(40).toStdString();
        EXPECT_TRUE(!sent.startsWith("HEAD") || answer.endsWith("\r\n\r\n")) << "HEAD answered with a body";
    }
    EXPECT_TRUE(exchange(port, request("GET", "/live.json")).contains("\"rider\":\"Bert\""));

    // A port in use is reported in German, and the server answers nothing there.
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::LocalHost));
    LiveServer second;
    QSignalSpy failed(&second, &LiveServer::failed);
    second.listen(occupant.serverPort(), QHostAddress::LocalHost);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_TRUE(failed.constFirst().constFirst().toString().contains(u"schon belegt"));
}
