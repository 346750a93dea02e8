#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

class QWidget;

// Every message, question and error box of the program goes through here. A test that expects
// boxes keeps an Answers scope alive while it acts: the boxes are then not shown but recorded and
// answered in order, so no test waits for a modal window.
namespace MessageBox {

QMessageBox::StandardButton show(QMessageBox::Icon icon, QWidget *parent, const QString &title,
                                 const QString &text, QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

inline void critical(QWidget *parent, const QString &title, const QString &text)
{
    show(QMessageBox::Critical, parent, title, text);
}
inline void information(QWidget *parent, const QString &title, const QString &text)
{
    show(QMessageBox::Information, parent, title, text);
}
// "Ja" or "Nein": true for "Ja".
bool question(QWidget *parent, const QString &title, const QString &text);

struct Seen
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
};

// While one lives, boxes are answered with `answers` in order (then with their default, or OK)
// and recorded instead of shown. Answers scopes nest; the innermost answers.
class Answers
{
public:
    explicit Answers(QList<QMessageBox::StandardButton> answers = {});
    ~Answers();
    Answers(const Answers &) = delete;
    Answers &operator=(const Answers &) = delete;

    const QList<Seen> &seen() const { return m_seen; }
    QStringList texts() const;

    // The answer for the next box, recorded as seen; used by the program's own boxes too.
    QMessageBox::StandardButton answer(QMessageBox::Icon icon, const QString &text,
                                       QMessageBox::StandardButton fallback);
    static Answers *current();

private:
    QList<QMessageBox::StandardButton> m_answers;
    QList<Seen> m_seen;
    Answers *m_previous = nullptr;
};

} // namespace MessageBox
