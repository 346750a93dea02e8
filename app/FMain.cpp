#include "app/FMain.h"

#include "app/InputStamp.h"
#include "app/ToolIcons.h"
#include "board/ScoreboardScreen.h"
#include "comms/ComPorts.h"
#include "comms/Comms.h"
#include "controls/ButtonWithColor.h"
#include "controls/Dmn_led.h"
#include "controls/SortGrid.h"
#include "controls/Udigit.h"
#include "controls/WindowStyle.h"
#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/Brand.h"
#include "platform/DateText.h"
#include "platform/Graphics.h"
#include "platform/SharedPrinter.h"
#include "platform/Shell.h"
#include "protocol/Excel.h"
#include "protocol/RaceState.h"
#include "protocol/ResultsTable.h"
#include "settings/Cfg.h"
#include "settings/DlgYesNo.h"
#include "settings/WindowBounds.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeDatabase>
#include <QProxyStyle>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// The stored size is the window's outer size, taken as the client area plus a fixed frame, so a
// window restores to exactly the size it had whatever frame the desktop draws.
constexpr QSize NominalFrame(8, 27);

QString fileTypeName(const char *mimeName, const QString &fallback)
{
    const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromLatin1(mimeName));
    const QString comment = type.isValid() ? type.comment() : QString();
    return comment.isEmpty() || comment == type.name() ? fallback : comment;
}

// Space, Enter and Return click the focused button; a held key repeats nothing.
bool isClickKey(const QKeyEvent &key)
{
    const int k = key.key();
    return !key.isAutoRepeat() && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
           (k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter);
}

// The central area's style: the look of the desktop's, but the window's layout places it without
// animation. Its children keep the application's style.
class UnanimatedLayoutStyle : public QProxyStyle
{
public:
    explicit UnanimatedLayoutStyle(QObject *owner) { setParent(owner); }
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *answer) const override
    {
        if (hint == SH_Widget_Animation_Duration)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

} // namespace

TFormMain::TFormMain(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FormMain"));
    m_race = new RaceState(this);
    setWindowTitle(QStringLiteral("v. " OMBREL_VERSION));
    setFont(windowFont());
    resize(800, 515);
    setMinimumSize(798, 418);

    auto *central = new QWidget(this);
    // The window's layout would move the central area through a short-lived animation object on
    // every change of the notice strip; it is placed at once instead, and nothing is left behind.
    central->setStyle(new UnanimatedLayoutStyle(central));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    buildTopBar();
    buildTimerArea();
    buildSelectorBar();
    buildToolBar();
    buildGrid();
    column->addWidget(PanelTop);
    column->addWidget(PanelTimer);
    column->addWidget(Panel);
    column->addWidget(Panel3);
    column->addWidget(Notice);
    column->addWidget(SortGrid1, 1);

    // Keys and presses that start or stop a run are stamped with their event's own time.
    m_inputStamp = new InputStamp(this);
    QCoreApplication::instance()->installEventFilter(m_inputStamp);

    // The timers carry object names, so tests can see whether a run or a lock is on.
    Clock = new QTimer(this);
    Clock->setObjectName(QStringLiteral("Clock"));
    Clock->setTimerType(Qt::PreciseTimer);
    Clock->setInterval(10);
    connect(Clock, &QTimer::timeout, this, &TFormMain::ClockTimer);
    TimerDate = new QTimer(this);
    TimerDate->setObjectName(QStringLiteral("TimerDate"));
    TimerDate->setInterval(5000);
    connect(TimerDate, &QTimer::timeout, this, &TFormMain::TimerDateTimer);
    TimerDate->start();
    auto lockTimer = [this](const char *name) {
        auto *timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(name));
        timer->setInterval(2000);
        timer->setSingleShot(true); // the timer that fires switches itself off
        return timer;
    };
    TimerGesperrt1 = lockTimer("TimerGesperrt1");
    TimerGesperrt2 = lockTimer("TimerGesperrt2");

    buildHiddenMenu();
    createComPorts();
    FormCreate();

    m_scoreboard = new ScoreboardScreen(*m_results, *m_race, this);
    connect(this, &QWidget::windowTitleChanged, m_scoreboard,
            [this] { m_scoreboard->setTitle(m_protocolName); }); // a list was loaded
    m_scoreboard->setScreenNumber(m_settings.Anzeigetafel);
}

TFormMain::~TFormMain()
{
    FormDestroy();
}

void TFormMain::FormDestroy()
{
    delete m_scoreboard; // before the results and the run it shows
    m_scoreboard = nullptr;
    delete Excel;
    Excel = nullptr;
    m_settings.Left = pos().x();
    m_settings.Top = pos().y();
    m_settings.Width = width() + NominalFrame.width();
    m_settings.Height = height() + NominalFrame.height();
    m_settings.FilterInd = m_saveFilterIndex;
    m_settings.Mode = cbMode->currentIndex();
    SettingsFile file(settingsFilePath());
    saveSettings(m_settings, file, this);
    ComPort1->Close();
    // ComPort2 closes as the window lets it go, when the lamp and the dialog are gone already.
    for (TComPort *port : {ComPort1, ComPort2})
        disconnect(port, nullptr, this, nullptr);
}

void TFormMain::FormCreate()
{
    setWindowTitle(applicationTitle() + u' ' + windowTitle());

    cbMode->addItems({QStringLiteral("Passprufüng"), QStringLiteral("Passrennen")});
    cbMode->setCurrentIndex(1);

    m_fileTypeCsv = fileTypeName("text/csv", QStringLiteral("MS Excel"));
    m_fileTypeHtml = fileTypeName("text/html", QStringLiteral("Webseite"));
    m_fileTypeText = fileTypeName("text/plain", QStringLiteral("Textdatei"));
    SettingsFile file(settingsFilePath());
    const QString settingsNotice = loadSettings(m_settings, file);
    if (!settingsNotice.isEmpty())
        showNotice(settingsNotice);
    applyStoredBounds();
    m_saveFilterIndex = m_settings.FilterInd;
    m_results->setScoring(Results::scoringOf(m_settings.Wertung));
    cbMode->setCurrentIndex(m_settings.Mode); // a stored mode out of range leaves no selection

    connect(cbMode, &QComboBox::currentIndexChanged, this, &TFormMain::cbModeChange);
    cbModeChange();

    Panel7Resize();
    bFSTART->setGeometry(bSTART->geometry());
    bFSTART->hide();

    // The help page and the example list sit beside the program in the build folder and in the
    // data folder when installed; the dialogs start where the example list is.
    m_helpFile = shippedFilePath(QFileInfo(programFilePath()).completeBaseName() + QStringLiteral(".html"));
    if (m_helpFile.isEmpty())
        m_helpFile = programSiblingPath(QStringLiteral(".html"));
    PortMask = ProbeComPorts();
    const QString exampleList = shippedFilePath(QStringLiteral("Beispiel-Startliste.txt"));
    m_lastFolder = exampleList.isEmpty() ? programDir() : QFileInfo(exampleList).absolutePath();

    // A save cut short leaves its temporary beside the protocol; the older ones are litter now.
    removeStaleSaveTemporaries(programSiblingPath(QStringLiteral(".txt")));
    removeStaleSaveTemporaries(autoSavePath());

    TimerDateTimer();
    openComPorts();

    RankProtocol(); // the captions
    FormResize();
    UpdateProtocolControls();
    Excel = new TExcel(this);
    SetRunHotKeys(false);
    bCFG->setFocus();
}

void TFormMain::applyStoredBounds()
{
    // The stored place picks the screen; a place on no screen falls back to the primary one.
    const QScreen *screen = nullptr;
    if (m_settings.Left && m_settings.Top)
        screen = QGuiApplication::screenAt(QPoint(*m_settings.Left, *m_settings.Top));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), size() + NominalFrame);
    const WindowPlacement place = fitWindowBounds(m_settings.Left, m_settings.Top, m_settings.Width,
                                                  m_settings.Height, NominalFrame, minimumSize(), available);
    if (place.topLeft)
        move(*place.topLeft);
    resize(place.size);
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The operator's first move is loading a start list. The button has its place only once the
    // window is laid out and placed by the window manager, which it is when first exposed.
    if (!m_pointerPlaced && windowHandle())
        windowHandle()->installEventFilter(this);
}

void TFormMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

QAction *TFormMain::raceItem(const QObject *button) const
{
    if (button == bSTART)
        return mStart;
    if (button == bFSTART)
        return mFStart;
    if (button == bSTOP1)
        return mSTOP1;
    if (button == bSTOP2)
        return mStop2;
    if (button == bRESET)
        return mReset;
    return nullptr;
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && !m_pointerPlaced &&
        windowHandle()->isExposed()) {
        m_pointerPlaced = true;
        windowHandle()->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] { QCursor::setPos(sbLoad->mapToGlobal(QPoint(16, 16))); });
    }
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == Panel7)
            Panel7Resize();
        else if (watched == Panel)
            PanelResize();
        else if (watched == Panel3 || (SortGrid1 && watched == SortGrid1->viewport()))
            FormResize();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The race buttons act at the press, whichever mouse button, to take the time stamp early;
        // the pressed button is disabled at once, so its release clicks nothing. "Fehlstart" clicks.
        if (QAction *item = raceItem(watched); item && watched != bFSTART) {
            if (item->isEnabled()) {
                item->trigger();
                return true;
            }
        } else if (watched == Label8 || watched == Label5 || watched == Label6) {
            Label5Click();
            return true;
        } else if (watched == Notice) {
            clearNotices();
            return true;
        }
        break;
    case QEvent::Shortcut:
    case QEvent::KeyPress:
        // A mnemonic (Alt+1, Alt+2, Alt+F) would click only after Qt's 100 ms animation, and Space
        // only at the key's release: both act at the key press instead, where the stamp belongs.
        if (QAction *item = raceItem(watched);
            item && (event->type() == QEvent::Shortcut || isClickKey(*static_cast<QKeyEvent *>(event)))) {
            item->trigger();
            return true;
        }
        break;
    default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    if (FDlgYesNo && m_askBeforeClose) {
        if (m_race->phase() == RaceState::Phase::Running && !FDlgYesNo->ask(QStringLiteral("Beenden?"))) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void TFormMain::closeWithoutQuestion()
{
    m_askBeforeClose = false;
    close();
}

void TFormMain::TimerDateTimer()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    PanelDate->setText(shortDateText(now.date(), locale) + QStringLiteral("   ") +
                       locale.toString(now.time(), QLocale::ShortFormat));
}

void TFormMain::bHelpClick()
{
    shellOpen(QUrl::fromLocalFile(m_helpFile));
}

void TFormMain::bExitClick()
{
    close();
}

void TFormMain::Label5Click()
{
    shellOpen(QUrl(makerWebAddress()));
}

void TFormMain::showNotice(const QString &text)
{
    // Every message stays until the operator clicks the strip away: one line each, newest first,
    // a repeated one moving to the top instead of standing twice, and only the newest few, so a
    // failure repeated every run keeps the strip small.
    QString line = text;
    line.replace(u'\n', u' ');
    m_notices.removeAll(line);
    m_notices.prepend(line);
    if (m_notices.size() > MaxNotices)
        m_notices.resize(MaxNotices);
    Notice->setText(m_notices.join(u'\n'));
    Notice->show();
}

void TFormMain::clearNotices()
{
    m_notices.clear();
    Notice->hide();
    Notice->clear();
}
