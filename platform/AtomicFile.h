#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path with data, or leaves the old file untouched when anything fails.
// QSaveFile alone can commit after a failed buffered write, so every write is checked for its full
// length and flushed before the commit. On failure errorText (when given) says why.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *errorText = nullptr);
