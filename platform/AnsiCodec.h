#pragma once

#include <QByteArray>
#include <QString>

// Files are written in Windows-1252 and read in Windows-1252 or UTF-8. The codec is our own
// because QStringEncoder turns unmappable characters into 0x1A, where the program writes "?".

// The Windows-1252 byte of a UTF-16 code unit, or -1 when the code page lacks the character.
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1
// controls of the same value, so every byte survives a round trip.
int ansiCode(char16_t unit);

// Encodes text as Windows-1252; each character the code page lacks becomes one "?".
QByteArray toAnsi(const QString &text);

// Decodes bytes known to be Windows-1252, such as the texts of a stored record.
QString fromWindows1252(QByteArrayView bytes);

// Decodes a file's bytes: UTF-8 when they start with a UTF-8 byte-order mark (which is dropped) or
// are valid UTF-8 containing non-ASCII bytes, else Windows-1252.
QString fromAnsi(const QByteArray &bytes);
