// Printing from the main window: choosing the document and its range, and the printer set-up.
#include "app/FMain.h"

#include "controls/SortGrid.h"
#include "platform/SharedPrinter.h"
#include "printing/FPP.h"
#include "printing/PrinterSetup.h"

#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>

void TFormMain::setPreviewWindow(TFormPP *form)
{
    FormPP = form;
    // Read at every composition, so the preview always shows the protocol as it stands.
    FormPP->setPrintSource([this] {
        TPrintSource source;
        source.table = shownTable();
        source.protocolName = m_protocolName;
        source.dateCaption = PanelDate->text();
        source.certLayout = &m_settings.CertLayout;
        source.fromPage = m_printFrom;
        source.toPage = m_printTo;
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

    QPrintDialog dialog(&sharedPrinter(), this);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, maxPage);
    dialog.setFromTo(1, maxPage);
    const int result = execPrintDialog ? execPrintDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return;
    if (tag == 1 && sharedPrinter().printRange() == QPrinter::PageRange) {
        m_printFrom = qBound(1, sharedPrinter().fromPage(), maxPage);
        m_printTo = qBound(0, sharedPrinter().toPage(), maxPage);
    }
    // The pages are composed when the window shows; an open one is recomposed and raised.
    if (FormPP->isVisible())
        FormPP->ComposeDocument();
    FormPP->show();
    FormPP->raise();
    FormPP->activateWindow();
}

void TFormMain::Drucker1Click()
{
    TPrinterSetupDialog dialog(sharedPrinter(), this);
    if (execPrinterSetup)
        execPrinterSetup(dialog);
    else
        dialog.exec();
}
