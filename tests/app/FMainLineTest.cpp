#include "tests/app/FMainFixture.h"

#include "comms/ComDevice.h"
#include "comms/Comms.h"
#include "tests/support/FakeComDevice.h"

#include <QSignalSpy>

#include <sys/ioctl.h>

namespace {

// The main window with START on COM1 (DTR-DSR contact) and STOPP on COM2 (RTS-CTS contact), both
// "Ein", on scripted devices.
class FMainLineTest : public FMainTest
{
protected:
    void beforeForm() override
    {
        Settings stored;
        stored.Port1 = 1;
        stored.Line1 = 0;
        stored.Port2 = 2;
        stored.Line2 = 1;
        SettingsFile file(settingsFilePath());
        ASSERT_TRUE(writeSettings(stored, file).isEmpty());
    }

    // Changes a line and waits until the main thread has handled the port's event.
    void lines(TComPort *port, FakeComDevice *device, int level)
    {
        QSignalSpy handled(port, &TComPort::modemStatusChanged);
        device->setLines(level);
        ASSERT_TRUE(handled.wait(2000));
    }

    std::vector<FakeComDevice *> devices;
    ComDeviceFactoryScope factory{[this] {
        auto device = std::make_unique<FakeComDevice>();
        devices.push_back(device.get());
        return std::unique_ptr<ComDevice>(std::move(device));
    }};
};

} // namespace

TEST_F(FMainLineTest, ContactsStartAndStopARunWithTheirOwnTimeStamps)
{
    auto *port1 = child<TComPort>(u"ComPort1"_qs);
    auto *port2 = child<TComPort>(u"ComPort2"_qs);
    ASSERT_TRUE(port1 && port2);
    ASSERT_TRUE(port1->Connected());
    ASSERT_TRUE(port2->Connected());
    ASSERT_EQ(devices.size(), 2u);
    FakeComDevice *start = devices[0];
    FakeComDevice *stop = devices[1];
    EXPECT_TRUE(led()->isVisible());
    loadStartList();

    lines(port1, start, TIOCM_DSR); // the light barrier is not armed: no run
    EXPECT_FALSE(running());
    lines(port1, start, 0);

    QTest::mouseClick(led(), Qt::LeftButton); // armed
    ticks = 500000;
    lines(port1, start, TIOCM_DSR);
    ASSERT_TRUE(running());
    EXPECT_TRUE(child<QTimer>(u"TimerGesperrt1"_qs)->isActive());
    ticks = 505000;
    lines(port1, start, 0); // opening and closing again while running changes nothing
    lines(port1, start, TIOCM_DSR);

    ticks = 512345;
    lines(port2, stop, TIOCM_CTS); // the first STOPP stops lane 1
    lines(port2, stop, 0);
    ticks = 513000;
    lines(port2, stop, TIOCM_CTS); // the second lane 2
    // Both times count from the first START edge.
    EXPECT_EQ(cell(3, rowOf(1)), u"12,34"_qs);
    EXPECT_EQ(cell(3, rowOf(2)), u"13,00"_qs);
    EXPECT_FALSE(running());
    lines(port2, stop, 0);
    lines(port2, stop, TIOCM_CTS); // a third does nothing
    EXPECT_TRUE(button("bRESET")->isEnabled());
    EXPECT_EQ(cell(3, rowOf(2)), u"13,00"_qs);

    // The adapter is pulled: the lamp goes, keys and buttons keep working.
    start->unplug();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !led()->isVisible(); }, 3000));
    key(Qt::Key_0);
    EXPECT_TRUE(button("bSTART")->isEnabled());
}

TEST_F(FMainLineTest, InThePaceTestASecondStoppEdgeGivesTheHiddenLaneNothing)
{
    auto *port1 = child<TComPort>(u"ComPort1"_qs);
    auto *port2 = child<TComPort>(u"ComPort2"_qs);
    ASSERT_EQ(devices.size(), 2u);
    loadStartList();
    choose(combo("cbMode"), 0);
    QTest::mouseClick(led(), Qt::LeftButton);
    ticks = 500000;
    lines(port1, devices[0], TIOCM_DSR);
    ticks = 504000;
    lines(port2, devices[1], TIOCM_CTS);
    lines(port2, devices[1], 0);
    ticks = 505000;
    lines(port2, devices[1], TIOCM_CTS); // the horse breaks the light barrier a second time
    EXPECT_EQ(cell(3, rowOf(1)), u"4,00"_qs);
    EXPECT_EQ(cell(3, rowOf(2)).trimmed(), QString());
}
