#include "printing/PrintDialog.h"

#include "platform/SharedPrinter.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>

namespace {

// Where Qt's print engine on CUPS keeps the job's options, as name and value pairs.
constexpr auto CupsJobOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

} // namespace

PrintDialogChoice runPrintDialog(QWidget *parent, int maxPage, const QString &pdfFile,
                                 const std::function<int(QPrintDialog &)> &exec)
{
    QPrinter &printer = sharedPrinter();
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, maxPage);
    dialog.setFromTo(1, maxPage);
    // Qt would offer the last file again, or a folder without a name.
    if (auto *file = dialog.findChild<QLineEdit *>(QStringLiteral("filename")))
        file->setText(pdfFile);

    PrintDialogChoice choice;
    choice.accepted = (exec ? exec(dialog) : dialog.exec()) == QDialog::Accepted;
    if (choice.accepted && printer.printRange() == QPrinter::PageRange)
        choice.pages = printer.pageRanges();
    clearPageSelection(printer);
    // The dialog asks before it accepts a file that exists.
    const QString output = printer.outputFileName();
    if (choice.accepted && !output.isEmpty() && QFileInfo::exists(output))
        choice.confirmedFile = output;
    return choice;
}

void clearPageSelection(QPrinter &printer)
{
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageRanges(QPageRanges());
    QPrintEngine *engine = printer.printEngine();
    QStringList options = engine->property(CupsJobOptions).toStringList();
    const qsizetype before = options.size();
    for (qsizetype i = 0; i + 1 < options.size();) {
        if (options[i] == u"page-ranges")
            options.remove(i, 2);
        else
            i += 2;
    }
    if (options.size() != before)
        engine->setProperty(CupsJobOptions, options);
}

QString proposedPdfFile(const QString &folder, const QString &protocolName, int documentMode)
{
    const QString document = documentMode == 0 ? QStringLiteral("Protokoll") : QStringLiteral("Urkunden");
    const QString name = protocolName.isEmpty() ? document : protocolName + u'-' + document;
    return QDir(folder.isEmpty() ? QDir::homePath() : folder).absoluteFilePath(name + QStringLiteral(".pdf"));
}
