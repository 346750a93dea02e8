#include "platform/AnsiCodec.h"

#include <QStringDecoder>

#include <array>

namespace {

// The characters of the bytes 0x80..0x9F; undefined bytes map to the C1 control of the same value.
constexpr std::array<char16_t, 32> HighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool hasNonAscii(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

QString fromUtf8Checked(QByteArrayView bytes, bool *ok)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    *ok = !decoder.hasError();
    return text;
}

} // namespace

int ansiCode(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (std::size_t i = 0; i < HighTable.size(); ++i) {
        if (HighTable[i] == unit)
            return int(0x80 + i);
    }
    return -1;
}

QByteArray toAnsi(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized); // never more bytes than UTF-16 units
    char *out = bytes.data();
    qsizetype written = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        const int code = ansiCode(unit);
        if (code >= 0) {
            out[written++] = static_cast<char>(code);
            continue;
        }
        out[written++] = '?';
        // A character outside the basic plane is one character, so one "?".
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    bytes.truncate(written);
    return bytes;
}

QString fromAnsi(const QByteArray &bytes)
{
    static constexpr char Bom[] = "\xEF\xBB\xBF";
    bool ok = false;
    if (bytes.startsWith(Bom))
        return fromUtf8Checked(QByteArrayView(bytes).sliced(3), &ok);
    if (hasNonAscii(bytes)) {
        QString text = fromUtf8Checked(bytes, &ok);
        if (ok)
            return text;
    }
    return fromWindows1252(bytes);
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        out[i] = QChar(byte >= 0x80 && byte < 0xA0 ? HighTable[byte - 0x80] : char16_t(byte));
    }
    return text;
}
