#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString &overridePath()
{
    static QString path;
    return path;
}

bool canWriteInto(const QString &dir)
{
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

} // namespace

QString programFilePath()
{
    const QString &path = overridePath();
    return path.isEmpty() ? QCoreApplication::applicationFilePath() : path;
}

QString programDir()
{
    return QFileInfo(programFilePath()).absolutePath();
}

void setProgramFilePath(const QString &path)
{
    overridePath() = path;
}

QString programSiblingPath(const QString &extension)
{
    const QFileInfo program(programFilePath());
    return program.absolutePath() + u'/' + program.completeBaseName() + extension;
}

QString writablePath(const QString &pathBesideProgram)
{
    const QFileInfo wanted(pathBesideProgram);
    const bool fileOk = !wanted.exists() || wanted.isWritable();
    if (fileOk && canWriteInto(wanted.absolutePath()))
        return wanted.absoluteFilePath();
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataDir);
    return dataDir + u'/' + wanted.fileName();
}
