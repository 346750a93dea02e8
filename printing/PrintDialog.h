#pragma once

#include <QPageRanges>
#include <QString>

#include <functional>

class QPrintDialog;
class QPrinter;
class QWidget;

// What the operator chose in the print dialog.
struct PrintDialogChoice
{
    bool accepted = false;
    // The pages listed under "Seiten" or "Von .. bis" (certificates: entries); empty for all.
    QPageRanges pages;
    // The output file whose overwriting the dialog has just confirmed; empty when it did not ask.
    QString confirmedFile;
};

// Runs the print dialog on the shared printer: pages 1..maxPage offered, pdfFile proposed for printing
// to a file. exec runs the dialog and returns its result; without it the dialog runs modally.
PrintDialogChoice runPrintDialog(QWidget *parent, int maxPage, const QString &pdfFile,
                                 const std::function<int(QPrintDialog &)> &exec);

// Takes the dialog's page selection off the printer. The program composes exactly the listed pages;
// a job that still carried the list would have the print system pick from the composed pages again.
void clearPageSelection(QPrinter &printer);

// "<Liste>-Protokoll.pdf" (document mode 0) or "<Liste>-Urkunden.pdf" in the start list's folder, so
// the two documents never write over each other.
QString proposedPdfFile(const QString &folder, const QString &protocolName, int documentMode);
