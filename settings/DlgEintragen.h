#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Zeit eintragen": a run time taken by hand, for a light barrier that failed, or a run the judges
// declared invalid. OK closes the box only with a rider chosen and a time written as the program
// writes times; anything else is refused with a message in the box.
class TDlgEintragen : public QDialog
{
    Q_OBJECT

public:
    struct Rider
    {
        int number = -1;
        QString text;
    };

    explicit TDlgEintragen(QWidget *parent = nullptr);

    // The riders to choose from, the one with `selected` start number chosen (none for -1).
    void setRiders(const QList<Rider> &riders, int selected);

    int Number() const;       // the chosen rider's start number, -1 for none
    QString TimeText() const; // the entered time, or "0,00" for an invalid run
    bool Invalid() const;

    QComboBox *cbReiter = nullptr;
    QLineEdit *edZeit = nullptr;
    QCheckBox *cbUngueltig = nullptr;
    QLabel *lbFehler = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

    void OKBtnClick();
};
