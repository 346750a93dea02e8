#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPrinter;
class QRadioButton;

// The printer set-up: which printer (or a PDF file), the paper and the orientation of the shared
// printer. The system's page set-up dialog alone offers no choice of printer here.
class PrinterSetupDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PrinterSetupDialog(QPrinter &printer, QWidget *parent = nullptr);

    // Takes the printer's current choices into the controls.
    void readPrinter();
    // Gives the printer the chosen printer or file, paper and orientation.
    void applyToPrinter();

private:
    void updateFileRow();

    QPrinter &m_printer;
    QComboBox *cbPrinter = nullptr;
    QLineEdit *edFile = nullptr;
    QComboBox *cbPaper = nullptr;
    QRadioButton *rbPortrait = nullptr;
    QRadioButton *rbLandscape = nullptr;
};
