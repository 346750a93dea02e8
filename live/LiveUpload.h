#pragma once

#include "live/LivePages.h"

#include <QByteArray>
#include <QFutureWatcher>
#include <QList>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>

class QAuthenticator;
class QNetworkAccessManager;

// Puts the live pages into a folder of a WebDAV server with HTTP PUT, one state after the other:
// a state handed in while another is on its way replaces any state still waiting, so only the
// newest goes next. A failed upload is tried again after a pause that doubles up to a minute.
// Nothing here waits: the pages are made in a thread of the upload's own, the network runs in the
// event loop and in Qt's own threads.
class LiveUpload : public QObject
{
    Q_OBJECT

public:
    struct File
    {
        QString name;
        QByteArray contentType;
        QByteArray bytes;
    };

    explicit LiveUpload(QObject *parent = nullptr);
    ~LiveUpload() override;

    // The folder (http:// or https://) and its login; an empty folder stops uploading. A new target
    // drops what is on its way and uploads the newest state there.
    void setTarget(const QUrl &folder, const QString &user, const QString &password);
    QUrl folder() const { return m_folder; }
    static bool isFolderAddress(const QUrl &url);

    void submit(std::shared_ptr<const Live::State> state);
    bool idle() const { return !m_reply && !m_pending && !m_retry.isActive() && !m_making.isRunning(); }
    // The files a state puts into the folder: the phone page as index.html and the protocol.
    static QList<File> filesOf(const Live::State &state);

    // The pause before the next try after `failures` failures in a row.
    static std::chrono::milliseconds retryPause(int failures, std::chrono::milliseconds first);
    static constexpr std::chrono::milliseconds LongestPause{60000};
    void setFirstPause(std::chrono::milliseconds pause) { m_firstPause = pause; } // tests

signals:
    // "Hochladen fehlgeschlagen: …" once when uploads start failing, and once when they work again.
    void notice(const QString &text);
    // After each try of a whole state; the pause is the wait before the next try, 0 after success.
    void finished(bool ok, std::chrono::milliseconds pause);

private:
    void startNext();
    void made();
    void putFile();
    void replyFinished();
    void authenticate(QNetworkReply *reply, QAuthenticator *authenticator);

    QNetworkAccessManager *m_network = nullptr;
    QUrl m_folder;
    QString m_user;
    QString m_password;
    std::shared_ptr<const Live::State> m_pending; // the newest state not yet on its way
    std::shared_ptr<const Live::State> m_currentState;
    QThreadPool m_maker; // one thread of its own, below the main thread's share of the processor
    QFutureWatcher<QList<File>> m_making;
    QList<File> m_current;
    int m_fileIndex = 0;
    QPointer<QNetworkReply> m_reply;
    QTimer m_retry;
    int m_failures = 0;
    bool m_failureShown = false;
    std::chrono::milliseconds m_firstPause{1000};
};
