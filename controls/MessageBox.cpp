#include "controls/MessageBox.h"

#include <QPushButton>

namespace MessageBox {

namespace {

Answers *innermost = nullptr;

} // namespace

Answers::Answers(QList<QMessageBox::StandardButton> answers)
    : m_answers(std::move(answers))
    , m_previous(innermost)
{
    innermost = this;
}

Answers::~Answers()
{
    innermost = m_previous;
}

Answers *Answers::current()
{
    return innermost;
}

QStringList Answers::texts() const
{
    QStringList texts;
    for (const Seen &box : m_seen)
        texts.append(box.text);
    return texts;
}

QMessageBox::StandardButton Answers::answer(QMessageBox::Icon icon, const QString &text,
                                            QMessageBox::StandardButton fallback)
{
    m_seen.append({icon, text});
    return m_answers.isEmpty() ? fallback : m_answers.takeFirst();
}

QMessageBox::StandardButton show(QMessageBox::Icon icon, QWidget *parent, const QString &title,
                                 const QString &text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton)
{
    if (Answers *answers = Answers::current())
        return answers->answer(icon, text,
                               defaultButton != QMessageBox::NoButton ? defaultButton : QMessageBox::Ok);
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    // The program speaks German whatever translations the desktop has.
    if (QAbstractButton *yes = box.button(QMessageBox::Yes))
        yes->setText(QStringLiteral("Ja"));
    if (QAbstractButton *no = box.button(QMessageBox::No))
        no->setText(QStringLiteral("Nein"));
    return QMessageBox::StandardButton(box.exec());
}

bool question(QWidget *parent, const QString &title, const QString &text)
{
    return show(QMessageBox::Question, parent, title, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No) == QMessageBox::Yes;
}

} // namespace MessageBox
