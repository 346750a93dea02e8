#include "live/LiveResults.h"
#include "live/PasswordStore.h"
#include "tests/TestSupport.h"
#include "tests/live/Heat.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A WebDAV server of the test's own: nginx with its configuration, files and logs in a temporary
// folder, on a free port of 127.0.0.1, PUT allowed for the user "verein", stopped by its process id.
struct PrivateDav
{
    ~PrivateDav()
    {
        nginx.terminate();
        nginx.waitForFinished(5000);
    }

    // Empty when the server runs, else why not.
    QString start()
    {
        const QString program = QStandardPaths::findExecutable(u"nginx"_qs, {u"/usr/sbin"_qs});
        if (program.isEmpty())
            return u"nginx is not installed (scripts/install-deps.sh --tests installs it)"_qs;
        QTcpServer probe;
        QFile users(dir.filePath(u"users"_qs));
        QFile config(dir.filePath(u"nginx.conf"_qs));
        if (!probe.listen(QHostAddress::LocalHost) || !QDir(dir.path()).mkpath(u"www"_qs) ||
            !users.open(QIODevice::WriteOnly) || !config.open(QIODevice::WriteOnly))
            return u"no free port or temporary folder"_qs;
        port = probe.serverPort();
        probe.close();
        users.write("verein:{PLAIN}geheim\n");
        config.write(
            QStringLiteral(R"(daemon off; master_process off; pid %1/nginx.pid; error_log %1/error.log;
events { worker_connections 32; }
http { access_log off; client_body_temp_path %1/body; proxy_temp_path %1/proxy; fastcgi_temp_path %1/fcgi;
  uwsgi_temp_path %1/uwsgi; scgi_temp_path %1/scgi;
  server { listen 127.0.0.1:%2; root %1/www;
    location / { dav_methods PUT; auth_basic "dav"; auth_basic_user_file %1/users; } } }
)")
                .arg(dir.path())
                .arg(port)
                .toUtf8());
        config.close();
        nginx.start(program, {u"-p"_qs, dir.path(), u"-e"_qs, dir.filePath(u"error.log"_qs), u"-c"_qs,
                              config.fileName()});
        const bool up = QTest::qWaitFor([this] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            return socket.waitForConnected(200);
        });
        return up ? QString()
                  : u"nginx did not start: "_qs + QString::fromLocal8Bit(nginx.readAllStandardError());
    }

    QByteArray file(const QString &name) const
    {
        QFile file(dir.filePath(u"www/live/"_qs + name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QProcess nginx;
    quint16 port = 0;
};

} // namespace

TEST(LiveUpload, PutsThePagesAfterAHeatAndRetriesAFailureWithGrowingPauses)
{
    const LocaleScope german{QLocale(QLocale::German, QLocale::Germany)};
    PrivateDav dav;
    if (const QString why = dav.start(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();

    Heat heat;
    PasswordStore passwords(PasswordStore::Backend::MemoryOnly);
    LiveResults live(heat.results, heat.race, passwords);
    live.upload().setFirstPause(std::chrono::milliseconds(50));
    QSignalSpy notices(&live, &LiveResults::notice);
    QSignalSpy tries(&live.upload(), &LiveUpload::finished);
    const QUrl folder(QStringLiteral("http://127.0.0.1:%1/live/").arg(dav.port));
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
    ASSERT_TRUE(QDir(dav.dir.path()).mkpath(u"www/live"_qs));
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
    EXPECT_EQ(dav.file(u"protokoll.html"_qs), Live::protocolPage(state));
    const QByteArray index = dav.file(u"index.html"_qs);
    EXPECT_TRUE(index.contains("\"rider\":\"Bert\",\"runs\":[{\"hundredths\":1234,\"time\":\"12,34\"}]"));
    EXPECT_TRUE(index.contains("\"time\":\"AUS\""));

    // A wrong password is the server's answer too.
    passwords.remember(PasswordStore::keyOf(folder, QStringLiteral("verein")), QStringLiteral("falsch"));
    ASSERT_TRUE(notices.wait(5000));
    EXPECT_TRUE(notices.constLast()[0].toString().startsWith(u"Hochladen fehlgeschlagen: 401"))
        << notices.constLast()[0].toString().toStdString();
}
