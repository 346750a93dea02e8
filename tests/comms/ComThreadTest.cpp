// The port component and its wait thread on the scripted device.
#include "comms/ComPorts.h"
#include "tests/comms/ComPortFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cerrno>
#include <sched.h>
#include <sys/ioctl.h>
#include <thread>

namespace {

using ComPortTest = ComPortFixture;

bool waitFor(const std::function<bool()> &condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 2000)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(ComPortProperties, DataBitsBoundsTablesAndDesignValues)
{
    TComPort port(nullptr, std::make_unique<FakeComDevice>());
    EXPECT_EQ(port.Events(), AllEvents);
    port.setDataBits(12);
    EXPECT_EQ(port.DataBits(), 8);
    port.setDataBits(3);
    EXPECT_EQ(port.DataBits(), 5);
    port.setDataBits(6);
    EXPECT_EQ(port.DataBits(), 6);

    EXPECT_EQ(baudRateValue(br76500, 0), 57600);
    EXPECT_EQ(baudRateValue(brUser, 28800), 28800);
    EXPECT_EQ(eventMaskBit(evTxEmpty), 0x0004u);
    EXPECT_EQ(eventMaskBit(evRLSD), 0x0020u);
    EXPECT_EQ(modemStatusWord(TIOCM_CTS | TIOCM_CD | TIOCM_DTR), MS_CTS_ON | MS_RLSD_ON);

    applyLineInputDesign(port, 2);
    EXPECT_EQ(port.Tag(), 2);
    EXPECT_EQ(port.Port(), 0);
    EXPECT_EQ(port.DataBits(), 5);
    EXPECT_EQ(port.Events(), eventSet({evCTS, evDSR}));
}

TEST_F(ComPortTest, OpenConfiguresTheDeviceAndCloseReleasesIt)
{
    port->Open();
    EXPECT_TRUE(port->Connected());
    EXPECT_TRUE(port->isOnline());
    EXPECT_EQ(opened, 1);
    EXPECT_NE(port->Handle(), -1);
    EXPECT_EQ(port->devicePath(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(fake->lastSettings().BaudRate, 9600);
    EXPECT_EQ(fake->lastSettings().DataBits, 5);
    EXPECT_EQ(fake->outputs(), TIOCM_DTR | TIOCM_RTS);

    // Open on an open port closes it first.
    port->Open();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(opened, 2);

    port->Close();
    EXPECT_EQ(closed, 2);
    EXPECT_FALSE(port->Connected());
    EXPECT_FALSE(fake->isOpen());
    EXPECT_EQ(port->Handle(), -1);
    port->Close();
    EXPECT_EQ(closed, 2);
}

TEST_F(ComPortTest, StampIsTheClockReadWhenTheWaitReturned)
{
    openAndWait();
    now = 1000;
    fake->setLines(TIOCM_DSR);
    ASSERT_TRUE(waitFor([&] { return port->liveModemStatus() == MS_DSR_ON; }));
    // The main thread takes the event much later; the stamp must not move.
    now = 5000;
    ASSERT_TRUE(waitSeen(1));
    EXPECT_EQ(seen[0].event, EV_DSR);
    EXPECT_EQ(seen[0].status, MS_DSR_ON);
    EXPECT_EQ(seen[0].stamp, 1000u);
}

TEST_F(ComPortTest, EventsQueueInOrderWithoutWaitingForTheHandler)
{
    openAndWait();
    for (int i = 0; i < 6; ++i) {
        now = 100 + i;
        fake->setLines(i % 2 == 0 ? TIOCM_DSR : 0);
        ASSERT_TRUE(fake->waitForChangeRead(2000)) << i;
    }
    ASSERT_TRUE(waitSeen(6));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(seen[i].status, i % 2 == 0 ? MS_DSR_ON : 0u) << i;
        EXPECT_EQ(seen[i].stamp, quint64(100 + i)) << i;
    }
}

TEST_F(ComPortTest, ASecondEdgeThreeMillisecondsLaterWakesTheWaitAtItsOwnTime)
{
    openAndWait();
    const int calls = fake->waitCalls();
    now = 1000000;
    fake->setLines(TIOCM_DSR);
    ASSERT_TRUE(fake->waitForWaitCalls(calls + 1, 2000));
    // Straight back into the kernel's wait after one read of the lines, not polling them.
    EXPECT_EQ(fake->readsBeforeLastWait(), 1);
    now = 1003000;
    fake->setLines(TIOCM_DSR | TIOCM_CTS); // lane 2 crosses 3 ms after lane 1
    ASSERT_TRUE(waitSeen(2));
    EXPECT_EQ(seen[0].stamp, 1000000u);
    EXPECT_EQ(seen[1].stamp, 1003000u);
    EXPECT_EQ(seen[1].event, EV_CTS);
}

// Granted real time, the wait thread keeps to the CPU of the device's interrupts.
TEST_F(ComPortTest, RealtimeSchedulingIsAskedForAndARefusalGoesUnnoticed)
{
    const struct
    {
        int answer;
        int lines;
    } cases[] = {{EPERM, TIOCM_DSR}, {0, TIOCM_DSR | TIOCM_CTS}};
    std::size_t events = 0;
    // The last CPU this process may run on, which need not be CPU 0.
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    int cpu = CPU_SETSIZE - 1;
    while (cpu > 0 && !CPU_ISSET(cpu, &allowed))
        --cpu;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer);
        std::atomic<int> asked = 0;
        const RealtimeRequestScope realtime([&] {
            ++asked;
            return c.answer;
        });
        fake->setInterruptCpu(cpu);
        openAndWait();
        fake->setLines(c.lines);
        ASSERT_TRUE(waitSeen(++events));
        EXPECT_EQ(asked.load(), 1);
        EXPECT_EQ(port->isRealtime(), c.answer == 0);
        EXPECT_EQ(port->waitCpu(), c.answer == 0 ? cpu : -1);
        EXPECT_TRUE(port->isOnline());
        EXPECT_EQ(opened, int(events));
        port->Close();
    }
}

TEST_F(ComPortTest, CtsAndDsrTogetherCallCtsThenDsr)
{
    openAndWait();
    fake->setLines(TIOCM_CTS | TIOCM_DSR);
    ASSERT_TRUE(waitSeen(2));
    EXPECT_EQ(seen[0].event, EV_CTS);
    EXPECT_EQ(seen[1].event, EV_DSR);
    EXPECT_EQ(seen[0].status, MS_CTS_ON | MS_DSR_ON);
    EXPECT_EQ(seen[1].status, MS_CTS_ON | MS_DSR_ON);
}

TEST_F(ComPortTest, CloseWhileBlockedReturnsPromptly)
{
    QElapsedTimer timer;
    for (int round = 0; round < 20; ++round) {
        port->Open();
        // Every other round closes before the thread reached its wait: the first signal can be early.
        if (round % 2 == 0) {
            ASSERT_TRUE(fake->waitUntilWaiting(2000));
        }
        timer.start();
        port->Close();
        EXPECT_LT(timer.elapsed(), 2000) << round;
        EXPECT_FALSE(fake->isOpen());
    }
    EXPECT_GE(fake->interruptedWaits(), 10);
}

TEST_F(ComPortTest, InterruptedWaitKeepsWatching)
{
    openAndWait();
    const int calls = fake->waitCalls();
    fake->failNextWait(EINTR);
    ASSERT_TRUE(fake->waitForWaitCalls(calls + 1, 2000));
    fake->setLines(TIOCM_CTS);
    ASSERT_TRUE(waitSeen(1));
    EXPECT_EQ(seen[0].status, MS_CTS_ON);
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(port->isOnline());
}

TEST_F(ComPortTest, UnplugClosesAndTheReturningDeviceIsReopened)
{
    openAndWait();
    fake->setLines(TIOCM_DSR);
    ASSERT_TRUE(waitSeen(1));
    fake->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed == 1; }, 2000));
    EXPECT_TRUE(port->Connected());
    EXPECT_FALSE(port->isOnline());
    EXPECT_EQ(port->Handle(), -1);
    EXPECT_FALSE(fake->isOpen());
    EXPECT_FALSE(port->liveModemStatus().has_value());

    // Several reopen intervals pass while the adapter is away.
    QTest::qWait(100);
    EXPECT_EQ(opened, 1);

    fake->replug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened == 2; }, 2000));
    EXPECT_TRUE(port->isOnline());
    EXPECT_EQ(fake->configureCount(), 2);
    EXPECT_EQ(port->liveModemStatus(), MS_DSR_ON);

    ASSERT_TRUE(fake->waitUntilWaiting(2000));
    fake->setLines(0);
    ASSERT_TRUE(waitSeen(2));
    EXPECT_EQ(seen[1].status, 0u);
    port->Close();
    EXPECT_EQ(closed, 2);
}

TEST_F(ComPortTest, CloseDuringTheReopenPauseReturnsPromptly)
{
    port->setReopenInterval(60000);
    openAndWait();
    fake->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed == 1; }, 2000));
    QElapsedTimer timer;
    timer.start();
    port->Close();
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST_F(ComPortTest, DriverWithoutAWaitIsPolled)
{
    fake->setWaitSupported(false);
    fake->setCountersSupported(false);
    port->Open();
    ASSERT_TRUE(fake->waitUntilWaiting(2000));
    now = 2000;
    fake->setLines(TIOCM_CTS);
    ASSERT_TRUE(waitSeen(1));
    EXPECT_EQ(seen[0].event, EV_CTS);
    EXPECT_EQ(seen[0].status, MS_CTS_ON);
    EXPECT_EQ(seen[0].stamp, 2000u);

    QElapsedTimer timer;
    timer.start();
    port->Close();
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST_F(ComPortTest, EdgeDuringTheHandOverIsCaughtByTheCounters)
{
    openAndWait();
    // CTS closes after the thread read the status for DSR and before it waits again: the wait alone
    // would sleep through it.
    fake->onNextReadLines([this] { fake->setLines(TIOCM_DSR | TIOCM_CTS); });
    fake->setLines(TIOCM_DSR);
    ASSERT_TRUE(waitSeen(2));
    EXPECT_EQ(seen[0].event, EV_DSR);
    EXPECT_EQ(seen[0].status, MS_DSR_ON);
    EXPECT_EQ(seen[1].event, EV_CTS);
    EXPECT_EQ(seen[1].status, MS_DSR_ON | MS_CTS_ON);
}

TEST_F(ComPortTest, EdgeBeforeTheWaitIsCaughtWithoutCounters)
{
    // Without transition counters only a fresh look at the lines finds an edge that came between the
    // last read and the next wait: the polls after a change must make it.
    fake->setCountersSupported(false);
    openAndWait();
    fake->onNextReadLines([this] { fake->setLines(TIOCM_DSR | TIOCM_CTS); });
    fake->setLines(TIOCM_DSR);
    ASSERT_TRUE(waitSeen(2));
    EXPECT_EQ(seen[1].event, EV_CTS);
    EXPECT_EQ(seen[1].status, MS_DSR_ON | MS_CTS_ON);
}

TEST_F(ComPortTest, AnEdgeMissedByTheWaitIsFoundByTheGuardTimer)
{
    fake->setCountersSupported(false);
    openAndWait();
    // The edge comes while the thread is between its last look and the wait, long after the polls
    // that follow a change: only the timer's knock on the wait finds it.
    fake->setLinesUnseen(TIOCM_DSR);
    ASSERT_TRUE(waitSeen(1));
    EXPECT_EQ(seen[0].event, EV_DSR);
    EXPECT_EQ(port->guardFinds(), 1);
}

TEST_F(ComPortTest, ShortPulseArrivesAsClosingThenOpeningWithTheWakeStamp)
{
    openAndWait();
    now = 4242;
    fake->pulse(TIOCM_DSR);
    ASSERT_TRUE(fake->waitForChangeRead(2000));
    now = 9999;
    ASSERT_TRUE(waitSeen(2));
    EXPECT_EQ(seen[0].status, MS_DSR_ON);
    EXPECT_EQ(seen[1].status, 0u);
    EXPECT_EQ(seen[0].stamp, 4242u);
    EXPECT_EQ(seen[1].stamp, 4242u);

    // A held contact that opens briefly gives an opening, then the closing again.
    fake->setLines(TIOCM_CTS);
    ASSERT_TRUE(waitSeen(3));
    fake->pulse(TIOCM_CTS);
    ASSERT_TRUE(waitSeen(5));
    EXPECT_EQ(seen[3].status, 0u);
    EXPECT_EQ(seen[4].status, MS_CTS_ON);
}

TEST_F(ComPortTest, CloseDropsEventsOfTheClosedConnection)
{
    openAndWait();
    fake->setLines(TIOCM_DSR);
    ASSERT_TRUE(fake->waitForChangeRead(2000));
    port->Close();
    port->Open();
    QTest::qWait(50);
    EXPECT_TRUE(seen.empty());
}

TEST_F(ComPortTest, HandlerThatClosesThePortEndsTheRound)
{
    QObject::disconnect(port.get(), &TComPort::OnCTS, nullptr, nullptr);
    QObject::connect(port.get(), &TComPort::OnCTS, [this](TComPort *sender) {
        seen.push_back({sender->currentEvent(), sender->modemStatus(), sender->eventStamp()});
        sender->Close();
    });
    openAndWait();
    fake->setLines(TIOCM_CTS | TIOCM_DSR);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed == 1; }, 2000));
    QTest::qWait(20);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].event, EV_CTS);
}

TEST_F(ComPortTest, FailedOpenRaisesAndLeavesThePortClosed)
{
    fake->setOpenError(EACCES);
    try {
        port->Open();
        FAIL() << "no exception";
    } catch (const EComHandle &e) {
        EXPECT_STREQ(e.what(), "Unable to open com port: 13");
        EXPECT_EQ(e.code(), EACCES);
        EXPECT_TRUE(e.userText().contains(u"dialout"));
        EXPECT_TRUE(e.userText().contains(u"/dev/ttyUSB0"));
    }
    EXPECT_FALSE(port->Connected());

    // A failed configuration releases the device, so the next attempt is not locked out.
    fake->setOpenError(0);
    fake->setConfigureError(ENOTTY);
    try {
        port->Open();
        FAIL() << "no exception";
    } catch (const EComState &e) {
        EXPECT_STREQ(e.what(), "Unable to set com state: 25");
        EXPECT_TRUE(e.userText().isEmpty());
    }
    EXPECT_FALSE(fake->isOpen());
    EXPECT_FALSE(port->Connected());
    EXPECT_EQ(opened, 0);

    // COM9 has no device unless the settings name one.
    fake->setConfigureError(0);
    port->setPort(9);
    EXPECT_THROW(port->Open(), EComHandle);
    const ComDevicePathScope com9(9, QStringLiteral("/dev/ttyFake9"));
    EXPECT_NO_THROW(port->Open());
    EXPECT_EQ(port->devicePath(), QStringLiteral("/dev/ttyFake9"));
}

} // namespace
