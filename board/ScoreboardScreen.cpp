#include "board/ScoreboardScreen.h"

#include "board/Scoreboard.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

ScoreboardScreen::ScoreboardScreen(const Results::ResultsModel &results, const RaceState &race,
                                   QWidget *operatorWindow)
    : QObject(operatorWindow)
    , m_results(results)
    , m_race(race)
    , m_operator(operatorWindow)
{
    setObjectName(QStringLiteral("ScoreboardScreen"));
    connect(qGuiApp, &QGuiApplication::screenAdded, this, &ScoreboardScreen::follow);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &ScoreboardScreen::screenRemoved);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &ScoreboardScreen::focusChanged);
    m_operator->installEventFilter(this);
}

ScoreboardScreen::~ScoreboardScreen() = default;

void ScoreboardScreen::setScreenNumber(int number)
{
    if (number != m_number)
        m_screenName.clear();
    m_number = number;
    m_wanted = number > 0;
    follow();
}

void ScoreboardScreen::toggle()
{
    if (m_board) {
        m_wanted = false;
        closeBoard();
    } else if (m_number > 0 || targetScreen()) {
        m_wanted = true;
        follow();
    }
}

void ScoreboardScreen::setTitle(const QString &title)
{
    m_title = title;
    if (m_board)
        m_board->setTitle(title);
}

QScreen *ScoreboardScreen::targetScreen() const
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    const QScreen *own = m_operator->screen();
    auto usable = [own](const QScreen *screen) { return screen && screen != own; };
    if (!m_screenName.isEmpty()) {
        for (QScreen *screen : screens) {
            if (screen->name() == m_screenName)
                return usable(screen) ? screen : nullptr;
        }
    }
    if (m_number > 0) {
        QScreen *screen = screens.value(m_number - 1);
        return usable(screen) ? screen : nullptr;
    }
    for (QScreen *screen : screens) {
        if (usable(screen))
            return screen;
    }
    return nullptr;
}

void ScoreboardScreen::follow()
{
    QScreen *screen = m_wanted ? targetScreen() : nullptr;
    if (!screen) {
        closeBoard();
        return;
    }
    if (m_board && m_board->screen() == screen)
        return;
    closeBoard();
    m_board = std::make_unique<Scoreboard>(m_results, m_race);
    // A frameless tool window that takes no focus, is shown without being activated and lets the program
    // end with the main window.
    m_board->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    m_board->setAttribute(Qt::WA_ShowWithoutActivating);
    m_board->setAttribute(Qt::WA_QuitOnClose, false);
    m_board->setTitle(m_title);
    m_board->setScreen(screen);
    m_board->setGeometry(screen->geometry());
    // Not showFullScreen(): that would also ask for the focus.
    m_board->setWindowState(Qt::WindowFullScreen);
    m_board->show();
    m_screenName = screen->name();
}

void ScoreboardScreen::closeBoard()
{
    m_board.reset();
}

void ScoreboardScreen::screenRemoved(QScreen *screen)
{
    // Before the desktop moves the board onto a screen left over, perhaps the operator's.
    if (m_board && m_board->screen() == screen)
        closeBoard();
}

void ScoreboardScreen::focusChanged(QWindow *window)
{
    if (!window)
        return;
    if (!m_board || window != m_board->windowHandle()) {
        m_lastFocus = window;
        return;
    }
    // A dialog that had the focus may have closed in the meantime: then the operator's window takes it.
    QWindow *back = m_lastFocus && m_lastFocus->isVisible() ? m_lastFocus.data() : m_operator->windowHandle();
    if (back && back->isVisible())
        back->requestActivate();
}

bool ScoreboardScreen::eventFilter(QObject *watched, QEvent *event)
{
    // The operator's window moved to another screen: the board never covers it.
    if (watched == m_operator && event->type() == QEvent::Show && m_operator->windowHandle()) {
        connect(m_operator->windowHandle(), &QWindow::screenChanged, this, &ScoreboardScreen::follow,
                Qt::UniqueConnection);
        follow();
    }
    return QObject::eventFilter(watched, event);
}
