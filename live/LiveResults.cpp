#include "live/LiveResults.h"

#include "live/LiveServer.h"
#include "live/PasswordStore.h"

LiveResults::LiveResults(const Results::ResultsModel &results, const RaceState &race,
                         PasswordStore &passwords, QObject *parent)
    : QObject(parent)
    , m_results(results)
    , m_race(race)
    , m_passwords(passwords)
    , m_server(new LiveServer(this))
    , m_upload(new LiveUpload(this))
{
    m_update.setSingleShot(true);
    m_update.setInterval(0);
    connect(&m_update, &QTimer::timeout, this, &LiveResults::update);
    connect(&results, &Results::ResultsModel::changed, this, [this] { schedule(true); });
    connect(&race, &RaceState::changed, this, [this] { schedule(false); });
    connect(m_server, &LiveServer::failed, this, &LiveResults::notice);
    connect(m_upload, &LiveUpload::notice, this, &LiveResults::notice);
    connect(&passwords, &PasswordStore::saveFailed, this, &LiveResults::notice);
    connect(&passwords, &PasswordStore::changed, this, [this](const QString &key) {
        if (key == m_passwordKey)
            applyUploadTarget();
    });
    connect(&passwords, &PasswordStore::unavailable, this, [this](const QString &key) {
        if (key == m_passwordKey)
            emit passwordNeeded(key);
    });
}

LiveResults::~LiveResults() = default;

void LiveResults::apply(const Config &config)
{
    const Config before = m_config;
    const bool first = !m_configured;
    m_config = config;
    m_configured = true;
    if (first || config.port != before.port) {
        if (config.port > 0 && config.port <= 65535)
            m_server->listen(quint16(config.port));
        else
            m_server->close();
        schedule(false);
    }
    if (first || config.upload != before.upload || config.user != before.user) {
        const QUrl folder(config.upload.trimmed());
        m_passwordKey.clear();
        if (!LiveUpload::isFolderAddress(folder) || config.user.isEmpty()) {
            applyUploadTarget();
        } else {
            m_passwordKey = PasswordStore::keyOf(folder, config.user);
            if (m_passwords.known(m_passwordKey))
                applyUploadTarget();
            else
                m_passwords.load(m_passwordKey); // the upload starts once the store answered
        }
    }
}

void LiveResults::applyUploadTarget()
{
    const QUrl folder(m_config.upload.trimmed());
    const QString password =
        m_passwordKey.isEmpty() ? QString() : m_passwords.known(m_passwordKey).value_or(QString());
    m_upload->setTarget(LiveUpload::isFolderAddress(folder) ? folder : QUrl(), m_config.user, password);
    schedule(true); // the folder gets the pages at once, not only after the next run
}

void LiveResults::schedule(bool resultsChanged)
{
    m_resultsChanged = m_resultsChanged || resultsChanged;
    m_update.start();
}

void LiveResults::update()
{
    const bool upload = m_resultsChanged && !m_upload->folder().isEmpty();
    m_resultsChanged = false;
    if (!m_server->isOpen() && !upload)
        return;
    auto state = std::make_shared<const Live::State>(
        Live::snapshot(m_results, m_race, protocolName ? protocolName() : QString(),
                       protocolTable ? protocolTable() : ProtocolFormat::Table()));
    if (m_server->isOpen())
        m_server->publish(state);
    if (upload)
        m_upload->submit(state);
}
