#pragma once

#include <QString>

// Where the program file lives; tests point it at a folder of their own.
QString programFilePath();
QString programDir();
void setProgramFilePath(const QString &path); // empty: the real program file

// The program file's path with its extension replaced (".txt" for the automatic save).
QString programSiblingPath(const QString &extension);

// Where the package puts the program and the files it ships (compiled in from the install
// folders); tests point them at folders of their own, empty restores the compiled-in ones.
QString installedProgramDir();
QString installedDataDir();
void setInstalledDirs(const QString &programDir, const QString &dataDir);

// A file shipped with the program (help page, sound, example list): beside the program file
// first, as in the build folder, then in the installed data folder. Empty when neither has it.
QString shippedFilePath(const QString &fileName);

// A file that belongs next to the program, moved to the per-user data folder when the program's
// folder cannot be written, so that no save is lost silently. The installed program's folder
// counts as not writable even for root: it belongs to the package manager.
QString writablePath(const QString &pathBesideProgram);
