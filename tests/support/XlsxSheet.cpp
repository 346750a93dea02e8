#include "tests/support/XlsxSheet.h"

#include <QProcess>
#include <QStringList>
#include <QXmlStreamReader>

namespace {

QByteArray unzipEntry(const QString &xlsx, const QString &entry)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, entry});
    if (!unzip.waitForFinished(10000) || unzip.exitCode() != 0)
        return {};
    return unzip.readAllStandardOutput();
}

} // namespace

XlsxSheet XlsxSheet::read(const QString &xlsx)
{
    QStringList shared;
    QXmlStreamReader strings(unzipEntry(xlsx, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd()) {
        strings.readNext();
        if (strings.isStartElement() && strings.name() == u"si")
            shared.append(QString());
        else if (strings.isStartElement() && strings.name() == u"t" && !shared.isEmpty())
            shared.last() += strings.readElementText();
    }
    XlsxSheet sheet;
    QXmlStreamReader xml(unzipEntry(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    bool isShared = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto attrs = xml.attributes();
        if (xml.name() == u"col") {
            for (int c = attrs.value(QLatin1StringView("min")).toInt();
                 c <= attrs.value(QLatin1StringView("max")).toInt(); ++c)
                sheet.widths[c] = attrs.value(QLatin1StringView("width")).toDouble();
        } else if (xml.name() == u"c") {
            ref = attrs.value(QLatin1StringView("r")).toString();
            isShared = attrs.value(QLatin1StringView("t")) == u"s";
        } else if (xml.name() == u"v") {
            const QString v = xml.readElementText();
            sheet.cells[ref] = isShared ? Cell{shared.value(v.toInt()), false} : Cell{v, true};
        }
    }
    return sheet;
}
