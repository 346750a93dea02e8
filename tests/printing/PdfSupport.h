#pragma once

#include <QPrinter>
#include <QString>
#include <QTemporaryDir>

// Points a printer of its own, or the one given, at a PDF file (none for an empty name) on upright
// A4 for one test, and the given one back to no file and upright A4 after it.
class PdfPrinter
{
public:
    explicit PdfPrinter(int dpi, const QString &fileName = QStringLiteral("out.pdf"), QPrinter *on = nullptr);
    ~PdfPrinter();
    PdfPrinter(const PdfPrinter &) = delete;
    PdfPrinter &operator=(const PdfPrinter &) = delete;

    QString path() const { return m_path; }
    QPrinter &printer() const { return *m_printer; }

private:
    QPrinter m_own{QPrinter::HighResolution};
    QPrinter *m_printer;
    QTemporaryDir m_dir;
    QString m_path;
};

// The words of a PDF with their boxes in points, as pdftotext -bbox reads them.
QString pdfWords(const QString &path);
// The plain text of a PDF, pages separated by form feeds.
QString pdfText(const QString &path);
// A field of pdfinfo's report ("Pages", "Page size"), empty when missing.
QString pdfInfo(const QString &path, const QString &field);

struct WordBox
{
    bool found = false;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};
// The first word with this text.
WordBox findWord(const QString &words, const QString &word);

inline constexpr double MmPerPoint = 25.4 / 72.0;
