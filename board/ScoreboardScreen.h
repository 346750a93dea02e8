#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QScreen;
class QWidget;
class QWindow;
class RaceState;
class Scoreboard;
namespace Results {
class ResultsModel;
}

// Keeps the scoreboard full screen on the screen the operator chose, never on the operator's own: it
// closes quietly when that screen goes (a projector unplugged) and comes back when the screen returns.
// With the operator's screen the only one, the board stays off. The board never keeps the keyboard focus:
// should a desktop activate it anyway, the window that had the focus gets it back.
class ScoreboardScreen : public QObject
{
    Q_OBJECT

public:
    ScoreboardScreen(const Results::ResultsModel &results, const RaceState &race, QWidget *operatorWindow);
    ~ScoreboardScreen() override;

    // The setting "Anzeigetafel": 0 off, n the n-th screen of the desktop.
    void setScreenNumber(int number);
    // Hides a shown board; shows a hidden one, on the first screen beside the operator's when the setting
    // is off. The setting stays as it is.
    void toggle();
    void setTitle(const QString &title);

    // The board while it is shown, else null.
    Scoreboard *board() const { return m_board.get(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QScreen *targetScreen() const;
    void follow();
    void closeBoard();
    void screenRemoved(QScreen *screen);
    void focusChanged(QWindow *window);

    const Results::ResultsModel &m_results;
    const RaceState &m_race;
    QWidget *m_operator;
    int m_number = 0;
    bool m_wanted = false; // the board shows whenever its screen is there
    QString m_screenName;  // the screen it was shown on, to find it again when it returns
    QString m_title;
    std::unique_ptr<Scoreboard> m_board;
    QPointer<QWindow> m_lastFocus;
};
