#include "live/LiveUpload.h"

#include "platform/ThreadPriority.h"
#include "platform/TickCount.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

// A server that takes the upload and then says nothing more is given up on after this.
constexpr int TransferTimeoutMs = 30000;
const char *const AuthTried = "ombrelAuthTried";

QString answerOf(QNetworkReply *reply)
{
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return QStringLiteral("%1 %2 (%3)").arg(status.toInt()).arg(reason, reply->url().toDisplayString());
    }
    return reply->errorString();
}

} // namespace

LiveUpload::LiveUpload(QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
    m_maker.setMaxThreadCount(1);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &LiveUpload::startNext);
    connect(&m_making, &QFutureWatcher<QList<File>>::finished, this, &LiveUpload::made);
    connect(m_network, &QNetworkAccessManager::authenticationRequired, this, &LiveUpload::authenticate);
}

LiveUpload::~LiveUpload()
{
    if (m_reply)
        m_reply->abort();
}

bool LiveUpload::isFolderAddress(const QUrl &url)
{
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") && !url.host().isEmpty();
}

void LiveUpload::setTarget(const QUrl &folder, const QString &user, const QString &password)
{
    if (folder == m_folder && user == m_user && password == m_password)
        return;
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        reply->abort();
        reply->deleteLater();
        if (!m_pending)
            m_pending = m_currentState;
    }
    m_retry.stop();
    m_network->clearAccessCache(); // a changed login is not to be answered with the old one
    m_failures = 0;
    m_failureShown = false;
    m_folder = isFolderAddress(folder) ? folder : QUrl();
    m_user = user;
    m_password = password;
    if (m_folder.isEmpty())
        m_pending.reset();
    else
        startNext();
}

void LiveUpload::submit(std::shared_ptr<const Live::State> state)
{
    if (m_folder.isEmpty())
        return;
    m_pending = std::move(state);
    if (!m_reply && !m_retry.isActive())
        startNext();
}

QList<LiveUpload::File> LiveUpload::filesOf(const Live::State &state)
{
    return {
        {QStringLiteral("index.html"), "text/html; charset=utf-8",
         Live::phonePage(state, Live::PageKind::Uploaded, monotonicMicros())},
        {QStringLiteral("protokoll.html"), "text/html; charset=iso-8859-1", Live::protocolPage(state)},
    };
}

std::chrono::milliseconds LiveUpload::retryPause(int failures, std::chrono::milliseconds first)
{
    std::chrono::milliseconds pause = first;
    for (int i = 1; i < failures && pause < LongestPause; ++i)
        pause *= 2;
    return std::min(pause, LongestPause);
}

void LiveUpload::startNext()
{
    if (!m_pending || m_folder.isEmpty() || m_making.isRunning())
        return;
    m_currentState = std::move(m_pending);
    m_pending.reset();
    m_making.setFuture(QtConcurrent::run(&m_maker, [state = m_currentState] {
        lowerCurrentThreadPriority();
        return filesOf(*state);
    }));
}

void LiveUpload::made()
{
    if (m_folder.isEmpty() || m_reply)
        return;
    m_current = m_making.result();
    m_fileIndex = 0;
    putFile();
}

void LiveUpload::putFile()
{
    const File &file = m_current[m_fileIndex];
    QString path = m_folder.path();
    if (!path.endsWith(u'/'))
        path += u'/';
    QUrl url = m_folder;
    url.setPath(path + file.name);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, file.contentType);
    request.setTransferTimeout(TransferTimeoutMs);
    m_reply = m_network->put(request, file.bytes);
    connect(m_reply, &QNetworkReply::finished, this, &LiveUpload::replyFinished);
}

void LiveUpload::authenticate(QNetworkReply *reply, QAuthenticator *authenticator)
{
    // Once per request: a login the server refuses ends as its answer instead of asking for ever.
    if (reply != m_reply || m_user.isEmpty() || reply->property(AuthTried).toBool())
        return;
    reply->setProperty(AuthTried, true);
    authenticator->setUser(m_user);
    authenticator->setPassword(m_password);
}

void LiveUpload::replyFinished()
{
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply)
        return;
    reply->deleteLater();
    if (reply != m_reply)
        return; // dropped by a new target
    m_reply = nullptr;
    if (reply->error() != QNetworkReply::NoError) {
        ++m_failures;
        if (!m_failureShown) {
            m_failureShown = true;
            emit notice(QStringLiteral("Hochladen fehlgeschlagen: ") + answerOf(reply));
        }
        if (!m_pending)
            m_pending = m_currentState; // the same again, unless a newer state came meanwhile
        const std::chrono::milliseconds pause = retryPause(m_failures, m_firstPause);
        m_retry.start(pause);
        emit finished(false, pause);
        return;
    }
    if (++m_fileIndex < m_current.size()) {
        putFile();
        return;
    }
    m_failures = 0;
    if (m_failureShown) {
        m_failureShown = false;
        emit notice(QStringLiteral("Hochladen nach %1 gelingt wieder.").arg(m_folder.toDisplayString()));
    }
    emit finished(true, std::chrono::milliseconds(0));
    startNext();
}
