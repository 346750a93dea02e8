#include "live/PasswordStore.h"

#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("ombrel");

} // namespace

PasswordStore::PasswordStore(Backend backend, QObject *parent)
    : QObject(parent)
    , m_backend(backend)
{}

QString PasswordStore::keyOf(const QUrl &folder, const QString &user)
{
    return user + u'@' +
           folder.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment)
               .toString(QUrl::FullyEncoded);
}

std::optional<QString> PasswordStore::known(const QString &key) const
{
    const auto found = m_known.constFind(key);
    return found == m_known.cend() ? std::nullopt : std::optional(*found);
}

void PasswordStore::remember(const QString &key, const QString &password)
{
    m_known.insert(key, password);
    emit changed(key);
}

void PasswordStore::load(const QString &key)
{
    if (m_backend == Backend::MemoryOnly) {
        QMetaObject::invokeMethod(
            this, [this, key] { emit unavailable(key); }, Qt::QueuedConnection);
        return;
    }
    auto *job = new QKeychain::ReadPasswordJob(Service, this);
    job->setKey(key);
    connect(job, &QKeychain::Job::finished, this, [this, job, key] {
        switch (job->error()) {
        case QKeychain::NoError:
            m_known.insert(key, job->textData());
            emit changed(key);
            break;
        case QKeychain::EntryNotFound:
            m_known.insert(key, QString()); // the store answered: no password was ever saved
            emit changed(key);
            break;
        default: emit unavailable(key); break;
        }
    });
    job->start();
}

void PasswordStore::save(const QString &key, const QString &password)
{
    remember(key, password);
    if (m_backend == Backend::MemoryOnly)
        return;
    auto *job = new QKeychain::WritePasswordJob(Service, this);
    job->setKey(key);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [this, job] {
        if (job->error() != QKeychain::NoError)
            emit saveFailed(QStringLiteral("Kein Passwortspeicher erreichbar (%1): das Passwort für das "
                                           "Hochladen gilt nur bis zum Beenden.")
                                .arg(job->errorString()));
    });
    job->start();
}
