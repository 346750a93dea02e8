#pragma once

#include <QString>

// Where the program file lives; tests point it at a folder of their own.
QString programFilePath();
QString programDir();
void setProgramFilePath(const QString &path); // empty: the real program file

// The program file's path with its extension replaced (".txt" for the automatic save).
QString programSiblingPath(const QString &extension);

// A file that belongs next to the program, moved to the per-user data folder when the program's
// folder cannot be written, so that no save is lost silently.
QString writablePath(const QString &pathBesideProgram);
