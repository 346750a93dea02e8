#include "tests/printing/PdfSupport.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

PdfPrinter::PdfPrinter(int dpi, const QString &fileName, QPrinter *on)
    : m_printer(on ? on : &m_own)
    , m_path(fileName.isEmpty() ? QString() : m_dir.filePath(fileName))
{
    QPrinter &printer = *m_printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_path);
    printer.setResolution(dpi);
    // Whatever an earlier test chose, each starts on upright A4.
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    // No margins of Qt's own, as on the program's printer.
    printer.setPageMargins(printer.pageLayout().minimumMargins(), printer.pageLayout().units());
}

PdfPrinter::~PdfPrinter()
{
    QPrinter &printer = *m_printer;
    printer.setOutputFileName(QString());
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
}

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

QString pdfWords(const QString &path)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
}

QString pdfText(const QString &path)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

QString pdfInfo(const QString &path, const QString &field)
{
    const QStringList lines = run(QStringLiteral("pdfinfo"), {path}).split(u'\n');
    for (const QString &line : lines)
        if (line.startsWith(field + u':'))
            return line.mid(field.size() + 1).trimmed();
    return QString();
}

WordBox findWord(const QString &words, const QString &word)
{
    static const QRegularExpression pattern(QString::fromLatin1(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = pattern.globalMatch(words); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(5) == word)
            return {true, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                    m.captured(4).toDouble()};
    }
    return {};
}
