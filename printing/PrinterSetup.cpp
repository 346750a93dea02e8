#include "printing/PrinterSetup.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QStandardPaths>

namespace {

// The last entry of the printer box writes a PDF file instead.
const QString PdfEntry = QStringLiteral("PDF-Datei");

const QPageSize::PageSizeId Papers[] = {QPageSize::A4, QPageSize::A3, QPageSize::A5, QPageSize::Letter,
                                        QPageSize::Legal};

} // namespace

PrinterSetupDialog::PrinterSetupDialog(QPrinter &printer, QWidget *parent)
    : QDialog(parent)
    , m_printer(printer)
{
    setObjectName(QStringLiteral("PrinterSetupDialog1"));
    setWindowTitle(QStringLiteral("Druckereinrichtung"));

    cbPrinter = new QComboBox(this);
    cbPrinter->setObjectName(QStringLiteral("cbPrinter"));
    edFile = new QLineEdit(this);
    edFile->setObjectName(QStringLiteral("edFile"));
    cbPaper = new QComboBox(this);
    cbPaper->setObjectName(QStringLiteral("cbPaper"));
    for (QPageSize::PageSizeId id : Papers)
        cbPaper->addItem(QPageSize::name(id), int(id));
    rbPortrait = new QRadioButton(QStringLiteral("Hochformat"), this);
    rbPortrait->setObjectName(QStringLiteral("rbPortrait"));
    rbLandscape = new QRadioButton(QStringLiteral("Querformat"), this);
    rbLandscape->setObjectName(QStringLiteral("rbLandscape"));

    auto *orientation = new QHBoxLayout;
    orientation->addWidget(rbPortrait);
    orientation->addWidget(rbLandscape);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Drucker:"), cbPrinter);
    form->addRow(QStringLiteral("Datei:"), edFile);
    form->addRow(QStringLiteral("Papier:"), cbPaper);
    form->addRow(QStringLiteral("Format:"), orientation);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cbPrinter, &QComboBox::currentIndexChanged, this, &PrinterSetupDialog::updateFileRow);
    connect(this, &QDialog::accepted, this, &PrinterSetupDialog::applyToPrinter);
    readPrinter();
}

void PrinterSetupDialog::readPrinter()
{
    cbPrinter->clear();
    cbPrinter->addItems(QPrinterInfo::availablePrinterNames());
    cbPrinter->addItem(PdfEntry);
    const bool toFile = !m_printer.outputFileName().isEmpty() || cbPrinter->count() == 1;
    cbPrinter->setCurrentIndex(toFile ? cbPrinter->count() - 1
                                      : qMax(0, cbPrinter->findText(m_printer.printerName())));
    QString file = m_printer.outputFileName();
    if (file.isEmpty())
        file = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                   .filePath(QStringLiteral("Protokoll.pdf"));
    edFile->setText(file);
    const int paper = cbPaper->findData(int(m_printer.pageLayout().pageSize().id()));
    cbPaper->setCurrentIndex(qMax(0, paper));
    const bool landscape = m_printer.pageLayout().orientation() == QPageLayout::Landscape;
    rbLandscape->setChecked(landscape);
    rbPortrait->setChecked(!landscape);
    updateFileRow();
}

void PrinterSetupDialog::updateFileRow()
{
    edFile->setEnabled(cbPrinter->currentText() == PdfEntry);
}

void PrinterSetupDialog::applyToPrinter()
{
    if (cbPrinter->currentText() == PdfEntry) {
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(edFile->text().trimmed());
    } else {
        m_printer.setOutputFileName(QString());
        m_printer.setOutputFormat(QPrinter::NativeFormat);
        m_printer.setPrinterName(cbPrinter->currentText());
    }
    m_printer.setPageSize(QPageSize(QPageSize::PageSizeId(cbPaper->currentData().toInt())));
    m_printer.setPageOrientation(rbLandscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
}
