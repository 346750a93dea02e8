#include "live/LiveResults.h"
#include "live/LiveServer.h"
#include "live/PasswordStore.h"
#include "tests/TestSupport.h"
#include "tests/live/Heat.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// A WebDAV server of the test's own: nginx with its configuration, files and logs in a temporary
// folder, listening on a free port of 127.0.0.1, PUT allowed for one user, stopped by its process id.
class PrivateDav
{
public:
    ~PrivateDav()
    {
        m_nginx.terminate();
        m_nginx.waitForFinished(5000);
    }

    // Empty when the server runs, else why not.
    QString start(const QString &user, const QString &password)
    {
        const QString nginx =
            QStandardPaths::findExecutable(QStringLiteral("nginx"), {QStringLiteral("/usr/sbin")});
        if (nginx.isEmpty())
            return QStringLiteral("nginx is not installed (scripts/install-deps.sh --tests installs it)");
        QTcpServer probe;
        if (!m_dir.isValid() || !probe.listen(QHostAddress::LocalHost))
            return QStringLiteral("no temporary folder or free port");
        m_port = probe.serverPort();
        probe.close();
        const QString dir = m_dir.path();
        QDir(dir).mkpath(QStringLiteral("www"));
        QFile users(dir + QStringLiteral("/users"));
        QFile config(dir + QStringLiteral("/nginx.conf"));
        if (!users.open(QIODevice::WriteOnly) || !config.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write the configuration");
        users.write((user + QStringLiteral(":{PLAIN}") + password + u'\n').toUtf8());
        config.write(
            QStringLiteral(R"(daemon off; master_process off; pid %1/nginx.pid; error_log %1/error.log;
events { worker_connections 32; }
http {
  access_log off; client_body_temp_path %1/body; proxy_temp_path %1/proxy; fastcgi_temp_path %1/fastcgi;
  uwsgi_temp_path %1/uwsgi; scgi_temp_path %1/scgi;
  server {
    listen 127.0.0.1:%2; root %1/www;
    location / { dav_methods PUT; auth_basic "dav"; auth_basic_user_file %1/users; }
  }
}
)")
                .arg(dir)
                .arg(m_port)
                .toUtf8());
        config.close();
        m_nginx.start(nginx, {QStringLiteral("-p"), dir, QStringLiteral("-e"),
                              dir + QStringLiteral("/error.log"), QStringLiteral("-c"), config.fileName()});
        for (QDeadlineTimer deadline(5000); !deadline.hasExpired(); QThread::msleep(20)) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(200))
                return {};
        }
        return QStringLiteral("nginx did not start: ") +
               QString::fromLocal8Bit(m_nginx.readAllStandardError());
    }

    QUrl folder(const QString &name) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2/").arg(m_port).arg(name));
    }
    QString path(const QString &relative) const { return m_dir.filePath(QStringLiteral("www/") + relative); }

private:
    QTemporaryDir m_dir;
    QProcess m_nginx;
    quint16 m_port = 0;
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(LiveUpload, PutsThePagesAfterAHeatAndRetriesAFailureWithGrowingPauses)
{
    const LocaleScope german{QLocale(QLocale::German, QLocale::Germany)};
    PrivateDav dav;
    if (const QString why = dav.start(QStringLiteral("verein"), QStringLiteral("geheim")); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();

    Heat heat;
    PasswordStore passwords(PasswordStore::Backend::MemoryOnly);
    LiveResults live(heat.results, heat.race, passwords);
    live.upload().setFirstPause(std::chrono::milliseconds(50));
    QSignalSpy notices(&live, &LiveResults::notice);
    QSignalSpy tries(&live.upload(), &LiveUpload::finished);
    const QUrl folder = dav.folder(QStringLiteral("live"));
    passwords.remember(PasswordStore::keyOf(folder, QStringLiteral("verein")), QStringLiteral("geheim"));
    live.apply({0, folder.toString(), QStringLiteral("verein")});

    // The folder is missing at first: one notice with the server's answer, and tries at growing pauses.
    while (tries.size() < 3)
        ASSERT_TRUE(tries.wait(5000));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0][0].toString().startsWith(u"Hochladen fehlgeschlagen: 500 Internal Server Error"))
        << notices[0][0].toString().toStdString();
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(tries[i][0].toBool());
        EXPECT_EQ(tries[i][1].value<std::chrono::milliseconds>(), std::chrono::milliseconds(50 << i));
    }
    EXPECT_EQ(LiveUpload::retryPause(20, std::chrono::milliseconds(1000)), LiveUpload::LongestPause);

    // Once the folder is there, the next try succeeds and says so once.
    ASSERT_TRUE(QDir().mkpath(dav.path(QStringLiteral("live"))));
    while (!tries.constLast()[0].toBool())
        ASSERT_TRUE(tries.wait(5000));
    ASSERT_EQ(notices.size(), 2);
    EXPECT_TRUE(notices[1][0].toString().contains(u"gelingt wieder"));

    // A heat: three changes while the first upload is on its way; only the newest state goes next.
    tries.clear();
    heat.race.start(Heat::Start);
    heat.stop(1, 1234);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !live.upload().idle(); }, 5000)); // the first is on its way
    heat.stop(0, 1300);
    heat.results.setOut(heat.results.indexOfNumber(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tries.size() == 2 && live.upload().idle(); }, 5000));
    EXPECT_EQ(tries.size(), 2);
    const Live::State state = Live::snapshot(heat.results, heat.race, {}, {});
    EXPECT_EQ(readFile(dav.path(QStringLiteral("live/protokoll.html"))), Live::protocolPage(state));
    const QByteArray index = readFile(dav.path(QStringLiteral("live/index.html")));
    EXPECT_TRUE(index.contains("\"rider\":\"Bert\",\"runs\":[{\"hundredths\":1234,\"time\":\"12,34\"}]"));
    EXPECT_TRUE(index.contains("\"time\":\"AUS\""));

    // A wrong password is the server's answer too.
    passwords.remember(PasswordStore::keyOf(folder, QStringLiteral("verein")), QStringLiteral("falsch"));
    ASSERT_TRUE(notices.wait(5000));
    EXPECT_TRUE(notices.constLast()[0].toString().startsWith(u"Hochladen fehlgeschlagen: 401"))
        << notices.constLast()[0].toString().toStdString();
}
