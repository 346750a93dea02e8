#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A CUPS scheduler of the test run's own: every folder below one temporary folder, one PDF queue
// whose jobs land as complete files job-<id>.pdf, nothing of the system's configuration touched.
// Clients find it through CUPS_SERVER, which must name socketPath() before the process's first
// CUPS call.
class PrivateCups
{
public:
    static constexpr const char *QueueName = "OmbrelPdf";
    // The same queue on a printer that cannot reach the paper's edges (12 pt left and right,
    // 18 pt top and bottom).
    static constexpr const char *MarginsQueueName = "OmbrelPdfMargins";

    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups &) = delete;
    PrivateCups &operator=(const PrivateCups &) = delete;

    // The scheduler's program, empty where CUPS is not installed.
    static QString cupsdProgram();
    // The one PrivateCups of the test executable, set while it exists.
    static PrivateCups *instance() { return s_instance; }

    QString socketPath() const;
    QString outputDir() const;

    // Starts the scheduler and adds the queue as the default printer, once; on failure error() says why.
    void start();
    // Stops the scheduler by its process id.
    void stop();

    bool running() const { return m_cupsd.state() == QProcess::Running && m_error.isEmpty(); }
    QString error() const { return m_error; }

    // Waits until no job is pending or printing; false at the timeout.
    bool waitForJobs(int timeoutMs) const;
    // The finished job files, oldest first.
    QStringList jobFiles() const;
    // The scheduler's log, for failure messages.
    QString errorLog() const;

private:
    bool prepareFolders();
    bool addQueue(const char *name, const QString &ppd);
    bool runClient(const QString &program, const QStringList &arguments, QString *output = nullptr) const;

    QTemporaryDir m_dir;
    QProcess m_cupsd;
    QString m_error;
    bool m_started = false;
    static PrivateCups *s_instance;
};
