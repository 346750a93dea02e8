#include "app/FMain.h"

#include "app/InputStamp.h"
#include "app/ToolIcons.h"
#include "comms/ComPorts.h"
#include "comms/Comms.h"
#include "controls/ButtonWithColor.h"
#include "controls/Dmn_led.h"
#include "controls/SortGrid.h"
#include "controls/Udigit.h"
#include "platform/AppPaths.h"
#include "platform/Brand.h"
#include "platform/Graphics.h"
#include "platform/SharedPrinter.h"
#include "platform/Shell.h"
#include "protocol/Excel.h"
#include "protocol/ResultsTable.h"
#include "settings/Cfg.h"
#include "settings/DlgYesNo.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeDatabase>
#include <QPageSetupDialog>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

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

} // namespace

TFormMain::TFormMain(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("v. 0.90"));
    QFont windowFont(QStringLiteral("Arial"));
    windowFont.setPointSize(8);
    setFont(windowFont);
    resize(800, 515);
    setMinimumSize(798, 418);

    auto *central = new QWidget(this);
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

    Clock = new QTimer(this);
    Clock->setTimerType(Qt::PreciseTimer);
    Clock->setInterval(10);
    connect(Clock, &QTimer::timeout, this, &TFormMain::ClockTimer);
    TimerDate = new QTimer(this);
    TimerDate->setInterval(5000);
    connect(TimerDate, &QTimer::timeout, this, &TFormMain::TimerDateTimer);
    TimerDate->start();
    for (QTimer **timer : {&TimerGesperrt1, &TimerGesperrt2}) {
        *timer = new QTimer(this);
        (*timer)->setInterval(2000);
        (*timer)->setSingleShot(true); // the timer that fires switches itself off
    }

    buildHiddenMenu();
    createComPorts();
    FormCreate();
}

TFormMain::~TFormMain()
{
    FormDestroy();
}

void TFormMain::FormDestroy()
{
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
    loadSettings(m_settings, file);
    if (m_settings.Left && m_settings.Top)
        move(*m_settings.Left, *m_settings.Top);
    resize(std::max(minimumWidth(), m_settings.Width - NominalFrame.width()),
           std::max(minimumHeight(), m_settings.Height - NominalFrame.height()));
    m_saveFilterIndex = m_settings.FilterInd;
    cbMode->setCurrentIndex(m_settings.Mode); // a stored mode out of range leaves no selection

    connect(cbMode, &QComboBox::currentIndexChanged, this, &TFormMain::cbModeChange);
    cbModeChange();

    Panel7Resize();
    bFSTART->setGeometry(bSTART->geometry());
    bFSTART->hide();

    m_helpFile = programSiblingPath(QStringLiteral(".html"));
    PortMask = ProbeComPorts();
    m_lastFolder = programDir();

    TimerDateTimer();
    openComPorts();

    SortGrid1->setRows(0, Results::headerCaptions());
    FormResize();
    UpdateProtocolControls();
    Excel = new TExcel(this);
    SetRunHotKeys(false);
    bCFG->setFocus();
    // The operator's first move is loading a start list.
    QCursor::setPos(sbLoad->mapToGlobal(QPoint(16, 16)));
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
            Notice->hide();
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
    if (FDlgYesNo) {
        FDlgYesNo->Label1->setText(QStringLiteral("Beenden?"));
        if (Clock->isActive() && !FDlgYesNo->ask(QStringLiteral("Beenden?"))) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void TFormMain::TimerDateTimer()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    PanelDate->setText(locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral("   ") +
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

void TFormMain::Drucker1Click()
{
    QPageSetupDialog dialog(&sharedPrinter(), this);
    dialog.exec();
}

void TFormMain::Label5Click()
{
    shellOpen(QUrl(MakerWebAddress()));
}

void TFormMain::showNotice(const QString &text)
{
    Notice->setText(text);
    Notice->show();
}
