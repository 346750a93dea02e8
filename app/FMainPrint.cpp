// Printing from the main window: choosing the document and its range, and the printer set-up.
#include "app/FMain.h"

#include "controls/SortGrid.h"
#include "platform/SharedPrinter.h"
#include "printing/FPP.h"
#include "printing/PrintDialog.h"
#include "printing/PrinterSetup.h"

#include <QLabel>

void TFormMain::setPreviewWindow(TFormPP *form)
{
    FormPP = form;
    // Read at every composition, so the preview always shows the protocol as it stands.
    FormPP->setPrintSource([this] {
        PrintSource source;
        source.table = shownTable();
        source.protocolName = m_protocolName;
        source.dateCaption = PanelDate->text();
        source.certLayout = &m_settings.CertLayout;
        source.fromPage = m_printFrom;
        source.toPage = m_printTo;
        source.pages = m_printPages;
        return source;
    });
}

void TFormMain::sbGramotyClick(int tag)
{
    if (!FormPP)
        return;
    FormPP->setDocumentMode(tag);
    // Certificates: one per entry, all unless the operator narrows the range.
    const int maxPage = tag == 1 ? qMax(1, m_results->count()) : 1;
    m_printFrom = 1;
    m_printTo = maxPage;
    m_printPages = QPageRanges();

    const PrintDialogChoice choice = runPrintDialog(
        this, maxPage, proposedPdfFile(m_protocolFolder, m_protocolName, tag), execPrintDialog);
    if (!choice.accepted)
        return;
    // "Seiten: 2,4" means those two pages, not 2 to 4.
    m_printPages = choice.pages;
    FormPP->setConfirmedOutputFile(choice.confirmedFile);
    // The pages are composed when the window shows; an open one is recomposed and raised.
    if (FormPP->isVisible())
        FormPP->ComposeDocument();
    FormPP->show();
    FormPP->raise();
    FormPP->activateWindow();
}

void TFormMain::Drucker1Click()
{
    PrinterSetupDialog dialog(sharedPrinter(), this);
    if (execPrinterSetup)
        execPrinterSetup(dialog);
    else
        dialog.exec();
}
