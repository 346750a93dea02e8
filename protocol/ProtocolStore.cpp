#include "protocol/ProtocolStore.h"

#include "platform/AnsiCodec.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

QStringList ProtocolStore::Loaded::leftOut() const
{
    const ProtocolFormat::ParseReport &report = protocol.report;
    QStringList phrases;
    if (report.cutCells > 0)
        phrases.append(QStringLiteral("%1 Zellen auf %2 Zeichen gekürzt")
                           .arg(report.cutCells)
                           .arg(ProtocolFormat::MaxCellLength));
    if (report.cutShort)
        phrases.append(
            QStringLiteral("nach %1 Zeilen abgebrochen, der Rest übergangen").arg(protocol.rows.size()));
    if (report.ignoredEmptyLines > 0)
        phrases.append(QStringLiteral("%1 leere Zeilen am Ende übergangen").arg(report.ignoredEmptyLines));
    return phrases;
}

ProtocolStore::Loaded ProtocolStore::read(QIODevice &device)
{
    Loaded loaded;
    if (device.size() > MaxFileBytes) {
        // Read whole, a file of gigabytes would hold the window and the memory for nothing.
        loaded.error =
            QStringLiteral("Sie ist mit %1 MB zu groß für eine Startliste.").arg(device.size() >> 20);
        return loaded;
    }
    const QByteArray bytes = device.read(MaxFileBytes + 1);
    const auto *file = qobject_cast<const QFileDevice *>(&device);
    if (file && file->error() != QFileDevice::NoError)
        loaded.error = file->errorString();
    else if (bytes.isEmpty())
        loaded.error = QStringLiteral("Die Datei ist leer.");
    else if ((loaded.protocol = ProtocolFormat::readProtocol(fromAnsi(bytes))).rows.isEmpty())
        loaded.error = QStringLiteral("Sie enthält keinen Eintrag.");
    return loaded;
}

ProtocolStore::Loaded ProtocolStore::load(const QString &path)
{
    const QFileInfo info(path);
    Loaded loaded;
    if (info.isDir()) {
        loaded.error = QStringLiteral("Das ist ein Ordner, keine Datei.");
        return loaded;
    }
    if (!info.exists()) {
        loaded.error = QStringLiteral("Die Datei gibt es nicht.");
        return loaded;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.error = file.errorString();
        return loaded;
    }
    return read(file);
}

ProtocolStore::ProtocolStore(QString autoSavePath)
    : m_autoSavePath(std::move(autoSavePath))
{}

bool ProtocolStore::saveText(const QString &path, const ProtocolFormat::Table &table, QString *errorText)
{
    return writeFileAtomically(path, ProtocolFormat::textFile(table), errorText);
}

bool ProtocolStore::save(const ProtocolFormat::Table &table, QString *errorText) const
{
    return saveText(m_autoSavePath, table, errorText);
}
