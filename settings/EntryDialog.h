#pragma once

#include "protocol/ResultsModel.h"

#include <QDialog>
#include <QList>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Zeit eintragen": a run time taken by hand, for a light barrier that failed, or a run the judges
// declared invalid; and, given one rider and one run, the correction of that run. OK closes the box
// only with a rider chosen and a time in hundredths ("12,34", "012,3" and "12" read as times);
// anything else is refused with a message in the box.
class EntryDialog : public QDialog
{
    Q_OBJECT

public:
    struct Rider
    {
        int number = -1;
        QString text;
    };

    explicit EntryDialog(QWidget *parent = nullptr);

    // The riders to choose from, the one with `selected` start number chosen (none for -1).
    void setRiders(const QList<Rider> &riders, int selected);

    // Corrects one run: only its rider, the box filled with the run.
    void setCorrection(const Rider &rider, const QString &runCaption, const Results::Run &run);

    int number() const;       // the chosen rider's start number, -1 for none
    QString timeText() const; // the entered time as the program writes it, or "0,00" for an invalid run
    bool isInvalid() const;
    Results::Run run() const; // what OK confirmed

private:
    QComboBox *cbReiter = nullptr;
    QLineEdit *edZeit = nullptr;
    QCheckBox *cbUngueltig = nullptr;
    QLabel *lbFehler = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

    void OKBtnClick();
};
