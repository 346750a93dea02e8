#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The reusable yes/no question box. The caller asks its question and the box runs modally;
// only the result 6 ("Ja") counts as yes: "Nein", Esc and the close box all answer no.
class TFDlgYesNo : public QDialog
{
    Q_OBJECT

public:
    enum ModalResult {
        mrCancel = 2,
        mrYes = 6
    };

    explicit TFDlgYesNo(QWidget *parent = nullptr);

    // Sets the question and shows the box modally, centred over its parent; true for "Ja".
    bool ask(const QString &question);

    void reject() override; // Esc and the close box end with 2, like "Nein"

private:
    QLabel *Label1 = nullptr;
    QLabel *Icon = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
};

// The question-mark picture of the box: a blue "?" in a white speech bubble.
QPixmap questionIcon();
