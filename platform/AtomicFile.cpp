#include "platform/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *errorText)
{
    QSaveFile file(path);
    auto fail = [&](const QString &reason) {
        if (file.isOpen())
            file.cancelWriting();
        if (errorText)
            *errorText = reason;
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(data) != data.size())
        return fail(file.errorString());
    if (!file.flush())
        return fail(file.errorString());
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

void removeStaleSaveTemporaries(const QString &path)
{
    const QFileInfo saved(path);
    if (!saved.isFile())
        return;
    const QDateTime savedAt = saved.lastModified();
    const QRegularExpression temporaryName(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(saved.fileName()) + QStringLiteral("\\.[A-Za-z]{6}")));
    QDir folder = saved.dir();
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        const QFileInfo candidate(folder.filePath(name));
        if (temporaryName.match(name).hasMatch() && candidate.lastModified() <= savedAt)
            folder.remove(name);
    }
}
