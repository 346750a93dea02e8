#pragma once

#include <QString>
#include <QtGlobal>

// Where the program file lives; tests point it at a folder of their own.
QString programFilePath();
QString programDir();

// The program file's path with its extension replaced (".txt" for the automatic save).
QString programSiblingPath(const QString &extension);

// Where the package puts the program and the files it ships (compiled in from the install
// folders); tests point them at folders of their own.
QString installedProgramDir();
QString installedDataDir();

// A file shipped with the program (help page, sound, example list): beside the program file
// first, as in the build folder, then in the installed data folder. Empty when neither has it.
QString shippedFilePath(const QString &fileName);

// A file that belongs next to the program, moved to the per-user data folder when the program's
// folder cannot be written, so that no save is lost silently. The installed program's folder
// counts as not writable even for root: it belongs to the package manager.
QString writablePath(const QString &pathBesideProgram);

// Test folders while they live (empty: the real program file, the compiled-in folders); the previous
// paths come back after.
class ProgramPathScope
{
public:
    explicit ProgramPathScope(const QString &programFile);
    ~ProgramPathScope();
    Q_DISABLE_COPY_MOVE(ProgramPathScope)

private:
    QString m_previous;
};

class InstalledDirsScope
{
public:
    InstalledDirsScope(const QString &programDir, const QString &dataDir);
    ~InstalledDirsScope();
    Q_DISABLE_COPY_MOVE(InstalledDirsScope)

private:
    QString m_previousProgram;
    QString m_previousData;
};
