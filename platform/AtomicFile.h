#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path with data, or leaves the old file untouched when anything fails.
// QSaveFile alone can commit after a failed buffered write, so every write is checked for its full
// length and flushed before the commit. On failure errorText (when given) says why.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *errorText = nullptr);

// A save cut short between writing and renaming (the program killed) leaves its temporary file
// beside the file: the file's name, a dot and six letters. Removes those not newer than the file
// itself, which are older saves; a newer one or one without its file may hold the only copy.
void removeStaleSaveTemporaries(const QString &path);
