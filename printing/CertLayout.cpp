#include "printing/CertLayout.h"

#include "platform/AnsiCodec.h"
#include "platform/DateText.h"

#include <QDate>
#include <QtEndian>

#include <algorithm>

namespace {

// Byte offsets inside a record.
enum Offset {
    oEnabled = 0,
    oAlign = 1,
    oLeft = 4,
    oTop = 8,
    oText = 12,
    oFontName = 268,
    oFontStyle = 524,
    oFontSize = 528,
    oFontColor = 532
};

// The font button is designed at 24 points; the defaults derive from it.
constexpr int FontButtonSize = 24;
constexpr int HighestSystemColor = 30;

qint32 readInt(QByteArrayView bytes, int offset)
{
    return qFromLittleEndian<qint32>(bytes.data() + offset);
}

void writeInt(QByteArray &bytes, int offset, qint32 value)
{
    qToLittleEndian<qint32>(value, bytes.data() + offset);
}

QString readShortString(QByteArrayView bytes, int offset)
{
    const auto length = static_cast<unsigned char>(bytes.at(offset));
    return fromWindows1252(bytes.sliced(offset + 1, length));
}

void writeShortString(QByteArray &bytes, int offset, const QString &text)
{
    const QByteArray ansi = toAnsi(text).left(CertTextMax);
    bytes[offset] = static_cast<char>(ansi.size());
    std::copy(ansi.cbegin(), ansi.cend(), bytes.begin() + offset + 1);
}

bool isPossibleColor(TColor color)
{
    if ((color & 0xFF000000) == 0)
        return true;
    return (color & 0xFFFFFF00) == clSystemColor && (color & 0xFF) <= HighestSystemColor;
}

} // namespace

QString certKindCaption(int kind)
{
    static const char16_t *const DataCaptions[ckFirstLine] = {
        u"Platz", u"Mannschaft", u"Land", u"Kreis", u"Durchschnitt", u"Bestzeit", u"Datum", u"Dateiname"};
    if (kind >= 0 && kind < ckFirstLine)
        return QString::fromUtf16(DataCaptions[kind]);
    if (kind >= ckFirstLine && kind <= ckLastLine)
        return QString::number(kind - ckFirstLine + 1) + QStringLiteral(". Zeile");
    return QString();
}

TCertField defaultCertField(int kind)
{
    TCertField field;
    field.Enabled = kind < ckFirstLine;
    field.Left = 30;
    field.Top = (kind * FontButtonSize / 3) * 2;
    field.Align = caLeft;
    field.FontName = QStringLiteral("Times New Roman");
    field.FontSize = FontButtonSize / 2;
    field.FontColor = clWindowText;
    field.FontStyle = fsBold;
    return field;
}

bool isUsableCertField(const TCertField &field)
{
    return !field.FontName.isEmpty() && field.FontSize >= CertFontSizeMin &&
           field.FontSize <= CertFontSizeMax && field.Align >= caLeft && field.Align <= caRight &&
           isPossibleColor(field.FontColor);
}

QByteArray certFieldBytes(const TCertField &field)
{
    QByteArray bytes(CertFieldSize, '\0');
    bytes[oEnabled] = field.Enabled ? 1 : 0;
    bytes[oAlign] = static_cast<char>(field.Align);
    writeInt(bytes, oLeft, field.Left);
    writeInt(bytes, oTop, field.Top);
    writeShortString(bytes, oText, field.Text);
    writeShortString(bytes, oFontName, field.FontName);
    bytes[oFontStyle] = static_cast<char>(field.FontStyle & 0x0F);
    writeInt(bytes, oFontSize, field.FontSize);
    writeInt(bytes, oFontColor, qint32(field.FontColor));
    return bytes;
}

TCertField certFieldFromBytes(QByteArrayView bytes)
{
    QByteArray whole = bytes.first(std::min<qsizetype>(bytes.size(), CertFieldSize)).toByteArray();
    whole.resize(CertFieldSize, '\0');
    TCertField field;
    field.Enabled = whole.at(oEnabled) != 0;
    field.Align = static_cast<unsigned char>(whole.at(oAlign));
    field.Left = readInt(whole, oLeft);
    field.Top = readInt(whole, oTop);
    field.Text = readShortString(whole, oText);
    field.FontName = readShortString(whole, oFontName);
    field.FontStyle = static_cast<unsigned char>(whole.at(oFontStyle)) & 0x0F;
    field.FontSize = readInt(whole, oFontSize);
    field.FontColor = TColor(readInt(whole, oFontColor));
    return field;
}

TCertField certField(const QByteArray &layout, int kind)
{
    const qsizetype start = qsizetype(kind) * CertFieldSize;
    if (kind < 0 || start >= layout.size())
        return TCertField();
    return certFieldFromBytes(QByteArrayView(layout).sliced(start));
}

void setCertField(QByteArray &layout, int kind, const TCertField &field)
{
    if (kind < 0 || kind >= CertFieldCount)
        return;
    if (layout.size() < CertLayoutSize)
        layout.resize(CertLayoutSize, '\0');
    const QByteArray bytes = certFieldBytes(field);
    std::copy(bytes.cbegin(), bytes.cend(), layout.begin() + qsizetype(kind) * CertFieldSize);
}

QByteArray certLayoutFromStored(QByteArrayView stored)
{
    QByteArray layout(CertLayoutSize, '\0');
    // A record cut short would read half a font name or no size: it counts as never set up.
    const qsizetype whole =
        std::min<qsizetype>(stored.size() / CertFieldSize * CertFieldSize, CertLayoutSize);
    std::copy(stored.begin(), stored.begin() + whole, layout.begin());
    return layout;
}

int completeCertLayout(QByteArray &layout)
{
    if (layout.size() != CertLayoutSize)
        layout.resize(CertLayoutSize, '\0');
    int replaced = 0;
    for (int kind = 0; kind < CertFieldCount; ++kind) {
        if (!isUsableCertField(certField(layout, kind))) {
            setCertField(layout, kind, defaultCertField(kind));
            ++replaced;
        }
    }
    return replaced;
}

void registerCertFontSubstitutes()
{
    static const bool registered = [] {
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    Q_UNUSED(registered);
}

QFont certFieldFont(const TCertField &field)
{
    registerCertFontSubstitutes();
    QFont font(field.FontName);
    if (field.FontSize > 0)
        font.setPointSize(field.FontSize);
    font.setBold(field.FontStyle & fsBold);
    font.setItalic(field.FontStyle & fsItalic);
    font.setUnderline(field.FontStyle & fsUnderline);
    font.setStrikeOut(field.FontStyle & fsStrikeOut);
    return font;
}

void setCertFieldFont(TCertField &field, const QFont &font, int pointSize)
{
    field.FontName = font.family();
    field.FontSize = pointSize;
    field.FontStyle = (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) |
                      (font.underline() ? fsUnderline : 0) | (font.strikeOut() ? fsStrikeOut : 0);
}

QString certDateText(const QDate &date)
{
    return shortDateText(date);
}

std::array<CertPrintField, CertFieldCount> certPrintFields(const QByteArray &layout)
{
    std::array<CertPrintField, CertFieldCount> fields;
    for (int kind = 0; kind < CertFieldCount; ++kind) {
        TCertField field = certField(layout, kind);
        if (!isUsableCertField(field))
            field = defaultCertField(kind);
        CertPrintField &out = fields[std::size_t(kind)];
        out.Kind = kind;
        out.Enabled = field.Enabled;
        out.Left = field.Left;
        out.Top = field.Top;
        out.Align = field.Align;
        out.Font = certFieldFont(field);
        out.FontColor = field.FontColor;
        out.Text = field.Text;
    }
    return fields;
}
