#include "tests/printing/PrivateCups.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

PrivateCups *PrivateCups::s_instance = nullptr;

namespace {

const QString DataDir = QStringLiteral(OMBREL_TEST_DATA "/printing/cups");

// A Unix socket path has room for 107 bytes; the system's temporary folder may be deeper.
QString shortTempTemplate()
{
    const QString base = QDir::tempPath().size() <= 60 ? QDir::tempPath() : QStringLiteral("/tmp");
    return base + QStringLiteral("/ombrel-cups-XXXXXX");
}

bool writeFromTemplate(const QString &templateName, const QString &target, const QString &dir)
{
    QFile in(DataDir + u'/' + templateName);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    const QString text = QString::fromUtf8(in.readAll()).replace(QStringLiteral("@DIR@"), dir);
    return out.write(text.toUtf8()) >= 0;
}

int jobNumber(const QString &fileName)
{
    static const QRegularExpression number(QStringLiteral(R"(job-(\d+)\.pdf)"));
    return number.match(fileName).captured(1).toInt();
}

} // namespace

PrivateCups::PrivateCups()
    : m_dir(shortTempTemplate())
{
    s_instance = this;
}

PrivateCups::~PrivateCups()
{
    stop();
    s_instance = nullptr;
}

QString PrivateCups::cupsdProgram()
{
    return QStandardPaths::findExecutable(
        QStringLiteral("cupsd"),
        {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"), QStringLiteral("/sbin")});
}

QString PrivateCups::socketPath() const
{
    return m_dir.filePath(QStringLiteral("run/cups.sock"));
}

QString PrivateCups::outputDir() const
{
    return m_dir.filePath(QStringLiteral("out"));
}

bool PrivateCups::prepareFolders()
{
    const QString dir = m_dir.path();
    // The filters run as the scheduler's user lp and read the spooled jobs below this folder.
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                   QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    QDir root(dir);
    for (const char *sub : {"etc", "run", "cache", "spool/tmp", "lib/backend", "log", "out"})
        if (!root.mkpath(QString::fromLatin1(sub)))
            return false;
    for (const char *sub : {"filter", "daemon", "cgi-bin", "monitor", "notifier", "driver"}) {
        const QString name = QString::fromLatin1(sub);
        if (!QFile::link(QStringLiteral("/usr/lib/cups/") + name,
                         root.filePath(QStringLiteral("lib/") + name)))
            return false;
    }
    // A backend only the owner may run is run with the scheduler's own rights, so it can write out/.
    const QString backend = root.filePath(QStringLiteral("lib/backend/ombrel-file"));
    if (!QFile::copy(DataDir + QStringLiteral("/ombrel-file"), backend) ||
        !QFile::setPermissions(backend, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return false;
    return writeFromTemplate(QStringLiteral("cupsd.conf.in"), root.filePath(QStringLiteral("etc/cupsd.conf")),
                             dir) &&
           writeFromTemplate(QStringLiteral("cups-files.conf.in"),
                             root.filePath(QStringLiteral("etc/cups-files.conf")), dir);
}

void PrivateCups::start()
{
    const QString program = cupsdProgram();
    if (program.isEmpty() || m_started)
        return;
    m_started = true;
    if (!m_dir.isValid() || !prepareFolders()) {
        m_error = QStringLiteral("cannot prepare the scheduler's folders in ") + m_dir.path();
        return;
    }
    m_cupsd.setProgram(program);
    m_cupsd.setArguments({QStringLiteral("-f"), QStringLiteral("-c"),
                          m_dir.filePath(QStringLiteral("etc/cupsd.conf")), QStringLiteral("-s"),
                          m_dir.filePath(QStringLiteral("etc/cups-files.conf"))});
    m_cupsd.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_cupsd.start();
    if (!m_cupsd.waitForStarted(5000)) {
        m_error = QStringLiteral("cupsd did not start: ") + m_cupsd.errorString();
        return;
    }
    // The scheduler answers once its socket listens, about a tenth of a second after the start.
    // lpstat -r succeeds either way and only says whether it runs.
    const QDeadlineTimer deadline(10000);
    QString answer;
    while (!QFile::exists(socketPath()) ||
           !runClient(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &answer) ||
           answer.trimmed() != QStringLiteral("scheduler is running")) {
        if (deadline.hasExpired() || m_cupsd.state() != QProcess::Running) {
            m_error = QStringLiteral("cupsd does not answer: ") + errorLog();
            return;
        }
        QThread::msleep(20);
    }
    if (!addQueue(QueueName, QStringLiteral("ombrel-pdf.ppd")) ||
        !addQueue(MarginsQueueName, QStringLiteral("ombrel-pdf-margins.ppd")) ||
        !runClient(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QString::fromLatin1(QueueName)}))
        m_error = QStringLiteral("lpadmin could not add the queues: ") + errorLog();
}

bool PrivateCups::addQueue(const char *name, const QString &ppd)
{
    return runClient(QStringLiteral("lpadmin"),
                     {QStringLiteral("-p"), QString::fromLatin1(name), QStringLiteral("-E"),
                      QStringLiteral("-v"), QStringLiteral("ombrel-file:") + outputDir(),
                      QStringLiteral("-P"), DataDir + u'/' + ppd, QStringLiteral("-o"),
                      QStringLiteral("printer-error-policy=abort-job")});
}

void PrivateCups::stop()
{
    if (m_cupsd.state() == QProcess::NotRunning)
        return;
    m_cupsd.terminate(); // SIGTERM to the scheduler's process id
    if (!m_cupsd.waitForFinished(10000)) {
        m_cupsd.kill();
        m_cupsd.waitForFinished(5000);
    }
}

bool PrivateCups::runClient(const QString &program, const QStringList &arguments, QString *output) const
{
    QProcess client;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CUPS_SERVER"), socketPath());
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C")); // answers read as text
    client.setProcessEnvironment(environment);
    client.start(program, arguments);
    if (!client.waitForFinished(10000) || client.exitStatus() != QProcess::NormalExit ||
        client.exitCode() != 0)
        return false;
    if (output)
        *output = QString::fromUtf8(client.readAllStandardOutput());
    return true;
}

bool PrivateCups::waitForJobs(int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        QString pending;
        if (runClient(QStringLiteral("lpstat"),
                      {QStringLiteral("-W"), QStringLiteral("not-completed"), QStringLiteral("-o")},
                      &pending) &&
            pending.trimmed().isEmpty())
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
}

QStringList PrivateCups::jobFiles() const
{
    QStringList files = QDir(outputDir()).entryList({QStringLiteral("job-*.pdf")}, QDir::Files);
    std::sort(files.begin(), files.end(),
              [](const QString &a, const QString &b) { return jobNumber(a) < jobNumber(b); });
    for (QString &file : files)
        file = QDir(outputDir()).filePath(file);
    return files;
}

QString PrivateCups::errorLog() const
{
    QFile log(m_dir.filePath(QStringLiteral("log/error_log")));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll().right(4000)) : QString();
}
