#include "settings/EntryDialog.h"

#include "controls/WindowStyle.h"
#include "protocol/ResultsModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

EntryDialog::EntryDialog(QWidget *parent)
    : QDialog(parent, FixedDialogFlags)
{
    setUpFixedDialog(*this, QStringLiteral("DlgEintragen"), QStringLiteral("Zeit eintragen"),
                     QSize(320, 150));
    setFont(windowFont());

    auto *riderLabel = new QLabel(QStringLiteral("Reiter:"), this);
    riderLabel->setGeometry(8, 10, 50, 22);
    cbReiter = new QComboBox(this);
    cbReiter->setObjectName(QStringLiteral("cbReiter"));
    cbReiter->setGeometry(60, 10, 252, 22);

    auto *timeLabel = new QLabel(QStringLiteral("Zeit:"), this);
    timeLabel->setGeometry(8, 40, 50, 22);
    edZeit = new QLineEdit(this);
    edZeit->setObjectName(QStringLiteral("edZeit"));
    edZeit->setGeometry(60, 40, 80, 22);
    edZeit->setMaxLength(16);
    edZeit->setPlaceholderText(Results::timeText(1234));
    timeLabel->setBuddy(edZeit);

    cbUngueltig = new QCheckBox(QStringLiteral("ungültig"), this);
    cbUngueltig->setObjectName(QStringLiteral("cbUngueltig"));
    cbUngueltig->move(156, 40);
    cbUngueltig->resize(cbUngueltig->sizeHint().width(), 22); // a click beside the text misses it
    connect(cbUngueltig, &QCheckBox::toggled, this, [this](bool invalid) {
        edZeit->setEnabled(!invalid);
        lbFehler->clear();
    });

    lbFehler = new QLabel(this);
    lbFehler->setObjectName(QStringLiteral("lbFehler"));
    lbFehler->setGeometry(8, 68, 304, 40);
    lbFehler->setWordWrap(true);
    lbFehler->setTextFormat(Qt::PlainText);
    lbFehler->setStyleSheet(QStringLiteral("color: #C00000"));

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(8, 116, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &EntryDialog::OKBtnClick);

    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(92, 116, 75, 25);
    connect(CancelBtn, &QPushButton::clicked, this, &EntryDialog::reject);
}

void EntryDialog::setRiders(const QList<Rider> &riders, int selected)
{
    cbReiter->clear();
    for (const Rider &rider : riders)
        cbReiter->addItem(rider.text, rider.number);
    cbReiter->setCurrentIndex(selected < 0 ? -1 : cbReiter->findData(selected));
    cbReiter->setEnabled(true);
    setWindowTitle(QStringLiteral("Zeit eintragen"));
    edZeit->clear();
    cbUngueltig->setChecked(false);
    lbFehler->clear();
    edZeit->setFocus();
}

void EntryDialog::setCorrection(const Rider &rider, const QString &runCaption, const Results::Run &run)
{
    setRiders({rider}, rider.number);
    cbReiter->setEnabled(false);
    setWindowTitle(runCaption + QStringLiteral(" korrigieren"));
    if (run.state == Results::Run::Valid)
        edZeit->setText(Results::timeText(run.hundredths));
    cbUngueltig->setChecked(run.state == Results::Run::Invalid);
    edZeit->selectAll();
}

int EntryDialog::number() const
{
    bool ok = false;
    const int number = cbReiter->currentData().toInt(&ok);
    return cbReiter->currentIndex() >= 0 && ok ? number : -1;
}

Results::Run EntryDialog::run() const
{
    if (isInvalid())
        return {0, Results::Run::Invalid};
    return {Results::parseTime(edZeit->text()).value_or(0), Results::Run::Valid};
}

QString EntryDialog::timeText() const
{
    return run().text();
}

bool EntryDialog::isInvalid() const
{
    return cbUngueltig->isChecked();
}

void EntryDialog::OKBtnClick()
{
    if (number() < 0) {
        lbFehler->setText(QStringLiteral("Bitte einen Reiter wählen."));
        cbReiter->setFocus();
    } else if (!isInvalid() && Results::parseTime(edZeit->text()).value_or(0) <= 0) {
        lbFehler->setText(
            QStringLiteral("„%1“ ist keine Zeit. Bitte wie %2 eingeben, oder „ungültig“ wählen.")
                .arg(edZeit->text(), Results::timeText(1234)));
        edZeit->setFocus();
        edZeit->selectAll();
    } else {
        accept();
    }
}
