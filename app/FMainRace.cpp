// Race control: START, STOPP of each lane, false start, RESET, the running displays and the mode.
#include "app/FMain.h"

#include "app/InputStamp.h"
#include "controls/ButtonWithColor.h"
#include "controls/Dmn_led.h"
#include "controls/SortGrid.h"
#include "controls/Udigit.h"
#include "platform/AppPaths.h"
#include "platform/Graphics.h"
#include "platform/Sound.h"
#include "platform/TickCount.h"
#include "protocol/RaceState.h"
#include "protocol/ResultsTable.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <tuple>

namespace {

// Elapsed milliseconds between two readings of the wrapping 32-bit counter.
qint64 elapsedBetween(quint32 start, quint32 stop)
{
    return qint32(stop - start);
}

} // namespace

void TFormMain::mStartClick()
{
    startRun(m_inputStamp->take());
}

void TFormMain::startRun(quint64 stamp)
{
    if (!m_race->start(stamp))
        return;
    bFSTART->show();
    Clock->start();
    cbBuhn1->setEnabled(false);
    cbBuhn2->setEnabled(false);
    bCFG->setEnabled(false);
    Led1->setKind(lkRed);
    sbLoad->setEnabled(false);
    bSTART->setEnabled(false);
    bSTART->setColor(clBtnFace);
    mStart->setEnabled(false);
    bFSTART->setEnabled(true);
    mFStart->setEnabled(true);
    bRESET->setEnabled(false);
    mReset->setEnabled(false);
    // In "Passprufüng" lane 2 is never armed: no edge, key or button can give its rider a time.
    for (auto [button, item, lane] : {std::tuple{bSTOP1, mSTOP1, 0}, std::tuple{bSTOP2, mStop2, 1}}) {
        const bool running = m_race->laneRunning(lane);
        button->setEnabled(running);
        button->setColor(running ? clRed : clBtnFace);
        item->setEnabled(running);
    }
    sb1->setEnabled(false);
    sb2->setEnabled(false);
    SetRunHotKeys(true);
    bFSTART->setFocus();
    UpdateProtocolControls();
}

void TFormMain::mSTOPClick(int lane)
{
    stopLane(lane, m_inputStamp->take());
}

void TFormMain::stopLane(int lane, quint64 stamp)
{
    // Measured between the two stamps and only then cut to milliseconds (and by the display and the
    // protocol to hundredths). A lane stops at most once per run.
    const qint64 elapsed = m_race->stopLane(lane, stamp);
    if (elapsed < 0)
        return;
    QAction *item = lane == 0 ? mSTOP1 : mStop2;
    TBitBtnWithColor *button = lane == 0 ? bSTOP1 : bSTOP2;
    playSoundAsync(QStringLiteral("4.wav"));
    button->setEnabled(false);
    button->setColor(clBtnFace);
    item->setEnabled(false);
    bFSTART->hide();
    bFSTART->setEnabled(false);
    mFStart->setEnabled(false);
    ShowLaneTime(lane, elapsed);
    EnterLaneTime(lane + 1, FormatLaneTime(elapsed));
    AfterLaneStop();
}

void TFormMain::AfterLaneStop()
{
    const bool finished = m_race->phase() == RaceState::Phase::Finished;
    bRESET->setEnabled(finished);
    mReset->setEnabled(finished);
    if (m_race->laneRunning(0)) {
        bSTOP1->setFocus();
    } else if (m_race->laneRunning(1)) {
        bSTOP2->setFocus();
    } else if (finished) {
        Clock->stop();
        bRESET->setFocus();
        bRESET->setColor(clBlack);
        m_pickedNumber = -1; // the next entry by hand chooses its rider afresh
    }
}

void TFormMain::mFStartClick()
{
    if (m_race->phase() != RaceState::Phase::Running || !mFStart->isEnabled())
        return;
    Clock->stop();
    m_race->falseStart();
    for (auto [button, item] : {std::pair{bSTOP1, mSTOP1}, std::pair{bSTOP2, mStop2}}) {
        button->setEnabled(false);
        button->setColor(clBtnFace);
        item->setEnabled(false);
    }
    mResetClick(false);
}

void TFormMain::mResetClick(bool byOperator)
{
    TimerGesperrt1->stop();
    TimerGesperrt2->stop();
    m_race->reset();
    SetRunHotKeys(false);
    ShowLaneTime(0, 0);
    ShowLaneTime(1, 0);
    bCFG->setEnabled(true);
    sbLoad->setEnabled(true);
    bSTART->setEnabled(true);
    bSTART->setColor(clGreen);
    mStart->setEnabled(true);
    bRESET->setEnabled(false);
    mReset->setEnabled(false);
    bRESET->setColor(clBtnFace);
    bFSTART->hide();
    bFSTART->setEnabled(false);
    mFStart->setEnabled(false);
    sb1->setEnabled(true);
    sb2->setEnabled(true);
    if (byOperator)
        AdvanceRiders();
    cbBuhn1->setEnabled(true);
    cbBuhn2->setEnabled(true);
    SortGrid1->viewport()->update();
    bSTART->setFocus();
    Led1->setKind(lkRed);
    UpdateProtocolControls();
}

void TFormMain::Led1Click()
{
    m_race->setArmed(!m_race->armed());
    Led1->setKind(m_race->armed() ? lkGreen : lkRed);
}

void TFormMain::cbModeChange()
{
    const int mode = cbMode->currentIndex();
    const bool twoLanes = mode == 1;
    const bool dropLaneTwo = !twoLanes && m_race->laneRunning(1);
    m_race->setTwoLanes(twoLanes);
    PanelT2->setVisible(twoLanes);
    cbBuhn2->setVisible(twoLanes);
    PanelRI->setVisible(twoLanes);
    sb2->setVisible(twoLanes);
    if (mode == 0)
        bSTOP1->setText(QStringLiteral("STOPP"));
    else if (mode == 1)
        bSTOP1->setText(QStringLiteral("STOPP &1"));
    SortGrid1->viewport()->update();
    // Lane 2 hidden during a run is disarmed at once; when lane 1 has stopped already, the run ends.
    if (dropLaneTwo) {
        bSTOP2->setEnabled(false);
        bSTOP2->setColor(clBtnFace);
        mStop2->setEnabled(false);
        AfterLaneStop();
    }
}

void TFormMain::ClockTimer()
{
    const auto startTick = quint32(m_race->startStamp() / 1000u); // the tick the displays count from
    if (m_race->laneRunning(0))
        ShowLaneTime(PanelT1->property("Tag").toInt(), elapsedBetween(startTick, GetTickCount()));
    if (m_race->laneRunning(1))
        ShowLaneTime(PanelT2->property("Tag").toInt(), elapsedBetween(startTick, GetTickCount()));
}

void TFormMain::ShowLaneTime(int lane, qint64 ms)
{
    if (lane < 0 || lane > 1)
        return;
    const qint64 c = std::max<qint64>(ms, 0) / 10;
    const qint64 s = c / 100;
    const qint64 h = c % 100;
    TDigit *const *digits = Digit[lane];
    digits[0]->setValue(int(std::min<qint64>(s / 100, 1000)));
    digits[0]->setColorOn(s > 99 ? clYellow : DimDigit);
    digits[1]->setValue(int((s / 10) % 10));
    digits[1]->setColorOn(s > 9 ? clYellow : DimDigit);
    digits[2]->setValue(int(s % 10));
    digits[3]->setValue(int(h / 10));
    digits[4]->setValue(int(h % 10));
}

QString TFormMain::FormatLaneTime(qint64 ms)
{
    return Results::FormatLaneTime(ms);
}

void TFormMain::SetRunHotKeys(bool on)
{
    mStart->setShortcut(on ? QKeySequence(Qt::Key_S) : QKeySequence());
    mFStart->setShortcut(on ? QKeySequence(Qt::Key_F) : QKeySequence());
    mSTOP1->setShortcut(on ? QKeySequence(Qt::Key_1) : QKeySequence());
    mStop2->setShortcut(on ? QKeySequence(Qt::Key_2) : QKeySequence());
    mReset->setShortcut(on ? QKeySequence(Qt::Key_0) : QKeySequence());
}
