#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace {

QString &overridePath()
{
    static QString path;
    return path;
}

struct InstalledDirs
{
    QString program;
    QString data;
};

InstalledDirs &installedOverride()
{
    static InstalledDirs dirs;
    return dirs;
}

bool sameFolder(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

bool canWriteInto(const QString &dir)
{
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable() && !sameFolder(dir, installedProgramDir());
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

QString programSiblingPath(const QString &extension)
{
    const QFileInfo program(programFilePath());
    return program.absolutePath() + u'/' + program.completeBaseName() + extension;
}

QString installedProgramDir()
{
    const QString &dir = installedOverride().program;
    return dir.isEmpty() ? QStringLiteral(OMBREL_INSTALLED_BINDIR) : dir;
}

QString installedDataDir()
{
    const QString &dir = installedOverride().data;
    return dir.isEmpty() ? QStringLiteral(OMBREL_INSTALLED_DATADIR) : dir;
}

QString shippedFilePath(const QString &fileName)
{
    for (const QString &dir : {programDir(), installedDataDir()}) {
        const QFileInfo file(QDir(dir), fileName);
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return {};
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

ProgramPathScope::ProgramPathScope(const QString &programFile)
    : m_previous(std::exchange(overridePath(), programFile))
{}

ProgramPathScope::~ProgramPathScope()
{
    overridePath() = m_previous;
}

InstalledDirsScope::InstalledDirsScope(const QString &programDir, const QString &dataDir)
    : m_previousProgram(installedOverride().program)
    , m_previousData(installedOverride().data)
{
    installedOverride() = {programDir, dataDir};
}

InstalledDirsScope::~InstalledDirsScope()
{
    installedOverride() = {m_previousProgram, m_previousData};
}
