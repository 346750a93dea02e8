#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

// The upload's passwords: kept in the desktop's password store, never in the settings file, and in
// memory for this run. Where no password store answers, what the operator types lives in memory only.
class PasswordStore : public QObject
{
    Q_OBJECT

public:
    enum class Backend {
        System,     // the desktop's password store, through QtKeychain
        MemoryOnly, // tests, and desktops without a password store
    };

    explicit PasswordStore(Backend backend, QObject *parent = nullptr);

    // The entry for a login: the user at the address's host and folder.
    static QString keyOf(const QUrl &folder, const QString &user);

    // What this run knows for the key: read from the store, or typed in.
    std::optional<QString> known(const QString &key) const;
    // Looks the key up in the password store; answers with changed() or unavailable().
    void load(const QString &key);
    // Remembers the password for this run and, where a store answers, for later runs.
    void save(const QString &key, const QString &password);
    // Remembers it for this run only.
    void remember(const QString &key, const QString &password);

signals:
    // What known() gives for the key changed, or the store answered for it.
    void changed(const QString &key);
    // No password store answered: the password has to be asked for.
    void unavailable(const QString &key);
    void saveFailed(const QString &text);

private:
    Backend m_backend;
    QHash<QString, QString> m_known;
};
