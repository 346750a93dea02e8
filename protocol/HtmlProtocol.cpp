#include "protocol/HtmlProtocol.h"

#include "platform/AnsiCodec.h"
#include "platform/AtomicFile.h"
#include "platform/Brand.h"

#include <QStringList>

namespace HtmlProtocol {

namespace {

constexpr QChar Tab = u'\t';
constexpr QChar Quote = u'"';

// The designer credited in the page's "Webdesign" tag.
QString webDesignAddress()
{
    return QStringLiteral("https://webdesign.korvell.example/");
}

// Escapes the markup characters and writes what Windows-1252 cannot hold as a character reference,
// so the text survives the single-byte file unchanged.
QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        switch (ch.unicode()) {
        case u'<': out += QStringLiteral("&lt;"); continue;
        case u'>': out += QStringLiteral("&gt;"); continue;
        case u'&': out += QStringLiteral("&amp;"); continue;
        case u'"': out += QStringLiteral("&quot;"); continue;
        default: break;
        }
        if (ansiCode(ch.unicode()) >= 0) {
            out += ch;
            continue;
        }
        char32_t code = ch.unicode();
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(ch, text[i + 1]);
            ++i;
        } else if (ch.isSurrogate()) {
            code = QChar::ReplacementCharacter; // a broken pair has no character to refer to
        }
        out += QStringLiteral("&#") + QString::number(quint32(code)) + u';';
    }
    return out;
}

// The brand in three coloured runs; the page leaves each FONT open, as the browsers forgive.
QString brandRuns()
{
    const QString brand = makerBrand();
    const qsizetype third = brand.size() / 3;
    return QStringLiteral("<FONT color=#FF0000>") + escaped(brand.left(third)) +
           QStringLiteral("<FONT color=#009900>") + escaped(brand.mid(third, third)) +
           QStringLiteral("<FONT color=#999999>") + escaped(brand.mid(2 * third));
}

} // namespace

QString firstCommaToPoint(QString text)
{
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0)
        text[comma] = u'.';
    return text;
}

QString page(const ProtocolFormat::Table &cells, const QString &applicationTitle)
{
    const int columns = cells.isEmpty() ? 0 : int(cells.constFirst().size());
    auto cell = [&](int c, int r) { return cells[r].value(c); };
    const QString title = escaped(applicationTitle);
    const QString web = escaped(makerWebAddress());
    QStringList lines;
    lines << QStringLiteral("<HTML>") << QStringLiteral("<HEAD>")
          << QStringLiteral("<!--") + web + QStringLiteral(" software -->")
          << QStringLiteral("<TITLE>") + title + QStringLiteral("</TITLE>")
          << QStringLiteral("<META http-equiv=Content-Type content=") + Quote +
                 QStringLiteral("text/html; charset=iso-8859-1") + Quote + u'>'
          << QStringLiteral("<META name=keywords content=") + Quote + title + Quote + u'>'
          << QStringLiteral("<META name=description content=") + Quote + escaped(makerBrand()) +
                 QStringLiteral(" professional software development for all") + Quote + u'>'
          << QStringLiteral("<META name=") + Quote + QStringLiteral("Webdesign") + Quote +
                 QStringLiteral(" content=") + Quote + escaped(webDesignAddress()) + Quote + u'>'
          << QStringLiteral("<STYLE type=text/css>") << QStringLiteral("body { background-color:#ECF5FF;")
          << Tab + QStringLiteral("font-family:courier;")
          << Tab + QStringLiteral("scrollbar-base-color:#8C8CC6;")
          << Tab + QStringLiteral("scrollbar-3dlight-color:#FFFFFF;")
          << Tab + QStringLiteral("scrollbar-arrow-color:#FFFFFF;")
          << Tab + QStringLiteral("scrollbar-darkshadow-color:0;")
          << Tab + QStringLiteral("scrollbar-face-color:#91B5FF;")
          << Tab + QStringLiteral("scrollbar-highlight-color:#FFFFFF;")
          << Tab + QStringLiteral("scrollbar-shadow-color:0;")
          << Tab + QStringLiteral("scrollbar-track-color:#ECF5FF;}")
          << QStringLiteral("h1 { background:#FFFFFF;")
          << Tab + QStringLiteral("font-size:14pt;") + Tab + QStringLiteral("color:#333333;")
          << Tab + QStringLiteral("font-style:italic;") << Tab + QStringLiteral("border-bottom:4px double;")
          << Tab + QStringLiteral("padding-bottom:4px;}")
          << QStringLiteral("A:hover{background-color: #FFFFFF;")
          << Tab + QStringLiteral("TEXT-DECORATION: none}") << QStringLiteral("</STYLE></HEAD>")
          << QStringLiteral("<BODY>") << QStringLiteral("<H5>Zeitenprotokoll</H5>")
          << QStringLiteral("<table border=1 cellpadding=0 width=100%>")
          << QStringLiteral("<thead Align=center>") << QStringLiteral("<tr bgcolor=#3F7FFF>");

    static const char *const widths[] = {"5%", "30%", "30%", "20%", "5%"};
    for (int c = 0; c < 5; ++c)
        lines << QStringLiteral("<td width=") + QLatin1StringView(widths[c]) +
                     QStringLiteral("><font color=#FFFFFF>") + escaped(cell(c, 0));
    for (int c = 5; c < columns; ++c) // the runs, when every run is kept
        lines << QStringLiteral("<td><font color=#FFFFFF>") + escaped(cell(c, 0));
    lines << QString() << QStringLiteral("</tr></thead>");

    for (int r = 1; r < cells.size(); ++r) {
        QString row = QStringLiteral("<tr Align=Right>");
        for (int c = 0; c < columns; ++c) {
            const QString text = escaped(firstCommaToPoint(cell(c, r)));
            if (c < 2)
                row += QStringLiteral("<td Align=left>&nbsp;") + text;
            else
                row += QStringLiteral("<td>") + text + QStringLiteral("&nbsp;");
        }
        lines << row + QStringLiteral("</tr>");
    }

    lines << QStringLiteral("</table><FONT face=Arial size=4><B>")
          << QStringLiteral("<P align=right><a style=") + Quote + QStringLiteral("cursor:help") + Quote +
                 QStringLiteral(" href=") + Quote + web + Quote + QStringLiteral(" title=") + Quote + title +
                 Quote + u'>' + brandRuns() +
                 QStringLiteral("</a><FONT color=#666600 size=3>&nbsp;Software</P>")
          << QStringLiteral("</body></html>");
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QByteArray pageBytes(const ProtocolFormat::Table &cells, const QString &applicationTitle)
{
    return toAnsi(page(cells, applicationTitle));
}

bool write(const QString &path, const ProtocolFormat::Table &cells, const QString &applicationTitle,
           QString *errorText)
{
    return writeFileAtomically(path, pageBytes(cells, applicationTitle), errorText);
}

} // namespace HtmlProtocol
