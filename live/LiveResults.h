#pragma once

#include "live/LivePages.h"
#include "live/LiveUpload.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class LiveServer;
class PasswordStore;

// Keeps the live pages up to date: after every change of the results or of the run it takes a copy
// of both, once the event that changed them is handled, and hands it to the server; after every
// change of the results the upload gets the pages as well. Timing never waits for any of it.
class LiveResults : public QObject
{
    Q_OBJECT

public:
    struct Config
    {
        int port = 0;   // "LivePort": 0 serves nothing
        QString upload; // "LiveUpload": the folder, empty for none
        QString user;   // "LiveUser"
        bool operator==(const Config &other) const = default;
    };

    LiveResults(const Results::ResultsModel &results, const RaceState &race, PasswordStore &passwords,
                QObject *parent = nullptr);
    ~LiveResults() override;

    // The list's name and the protocol as "HTML" writes it; empty when unset.
    std::function<QString()> protocolName;
    std::function<ProtocolFormat::Table()> protocolTable;

    // Starts, moves or stops the server and points the upload at its folder; a setting that did not
    // change leaves its part alone.
    void apply(const Config &config);

    LiveServer &server() { return *m_server; }
    LiveUpload &upload() { return *m_upload; }

signals:
    // A message for the notice strip.
    void notice(const QString &text);
    // No password store answered for the upload's login: ask the operator once.
    void passwordNeeded(const QString &key);

private:
    void schedule(bool resultsChanged);
    void update();
    void applyUploadTarget();

    const Results::ResultsModel &m_results;
    const RaceState &m_race;
    PasswordStore &m_passwords;
    LiveServer *m_server;
    LiveUpload *m_upload;
    Config m_config;
    bool m_configured = false;
    QString m_passwordKey; // the login whose password is being looked up
    QTimer m_update;
    bool m_resultsChanged = false;
};
