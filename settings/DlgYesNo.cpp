#include "settings/DlgYesNo.h"

#include "controls/MessageBox.h"

#include "controls/WindowStyle.h"
#include "platform/Brand.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

QPixmap questionIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath bubble;
    bubble.addEllipse(QRectF(1.5, 1.5, 29, 24));
    QPainterPath tail;
    tail.moveTo(8, 20);
    tail.lineTo(5, 31);
    tail.lineTo(15, 24);
    bubble = bubble.united(tail);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.2));
    p.setBrush(Qt::white);
    p.drawPath(bubble);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0xC0));
    p.drawText(QRectF(1.5, 1.5, 29, 24), Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}

TFDlgYesNo::TFDlgYesNo(QWidget *parent)
    : QDialog(parent, FixedDialogFlags)
{
    setUpFixedDialog(*this, QStringLiteral("FDlgYesNo"), applicationTitle(), QSize(222, 94));

    Icon = new QLabel(this);
    Icon->setObjectName(QStringLiteral("Icon"));
    Icon->setPixmap(questionIcon());
    Icon->setGeometry(10, 14, 32, 32);

    Label1 = new QLabel(QStringLiteral("?"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(46, 4, 169, 49);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);

    OKBtn = new QPushButton(QStringLiteral("Ja"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(36, 60, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrYes); });

    CancelBtn = new QPushButton(QStringLiteral("Nein"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(116, 60, 75, 25);
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

bool TFDlgYesNo::ask(const QString &question)
{
    Label1->setText(question);
    if (MessageBox::Answers *answers = MessageBox::Answers::current())
        return answers->answer(QMessageBox::Question, question, QMessageBox::No) == QMessageBox::Yes;
    if (QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr)
        move(owner->frameGeometry().center() - rect().center());
    OKBtn->setFocus();
    return exec() == mrYes;
}

void TFDlgYesNo::reject()
{
    done(mrCancel);
}
