#pragma once

#include "protocol/ProtocolFiles.h"

#include <QString>

class QIODevice;

// Where the protocol is kept: the automatic save after every change of the results, and the start
// lists and protocols loaded from files, with the limits that keep a wrong pick from filling the
// window and the memory.
class ProtocolStore
{
public:
    // Far beyond any start list; a larger file was picked by mistake.
    static constexpr qint64 MaxFileBytes = qint64(32) << 20;

    struct Loaded
    {
        ProtocolFormat::Protocol protocol;
        QString error; // why nothing was loaded, for the operator; empty on success
        // What the load left out of the file, one phrase each, for a notice.
        QStringList leftOut() const;
    };
    static Loaded load(const QString &path);
    static Loaded read(QIODevice &device);

    explicit ProtocolStore(QString autoSavePath);
    QString autoSavePath() const { return m_autoSavePath; }
    // Replaces the automatic save with the table; false with the reason in errorText.
    bool save(const ProtocolFormat::Table &table, QString *errorText = nullptr) const;
    static bool saveText(const QString &path, const ProtocolFormat::Table &table,
                         QString *errorText = nullptr);

private:
    QString m_autoSavePath;
};
