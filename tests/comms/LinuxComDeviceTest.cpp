// The Linux device layer against what this machine has, the port table and the probe.
#include "comms/LinuxComDevice.h"
#include "comms/ComPorts.h"
#include "comms/Comms.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The terminal side of a pseudo-terminal: a tty without modem lines.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            m_path = QString::fromLocal8Bit(ptsname(m_master));
    }
    ~PseudoTerminal()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;
    QString path() const { return m_path; }

private:
    int m_master = -1;
    QString m_path;
};

TEST(LinuxComDevice, MissingDeviceAndNonTerminalFailCleanly)
{
    LinuxComDevice device;
    EXPECT_EQ(device.open(QStringLiteral("/dev/ttyOmbrelMissing")), ENOENT);
    EXPECT_EQ(device.handle(), -1);
    EXPECT_EQ(device.open(QStringLiteral("/dev/null")), ENOTTY);
    EXPECT_EQ(device.handle(), -1);
    int lines = 0;
    EXPECT_EQ(device.readLines(lines), EBADF);
    EXPECT_EQ(device.waitForChange(TIOCM_DSR), EBADF);

    const ComDevicePathScope missing(5, QStringLiteral("/dev/ttyOmbrelMissing"));
    TComPort port(nullptr, std::make_unique<LinuxComDevice>());
    port.setPort(5);
    try {
        port.Open();
        FAIL() << "no exception";
    } catch (const EComHandle &e) {
        EXPECT_EQ(e.code(), ENOENT);
        EXPECT_STREQ(e.what(), "Unable to open com port: 2");
        EXPECT_TRUE(e.userText().isEmpty());
    }
    EXPECT_FALSE(port.Connected());
}

TEST(LinuxComDevice, PseudoTerminalRefusesModemControlWithoutHanging)
{
    PseudoTerminal pty;
    ASSERT_FALSE(pty.path().isEmpty());
    {
        LinuxComDevice device;
        ASSERT_EQ(device.open(pty.path()), 0);
        EXPECT_GE(device.handle(), 0);
        // Held exclusively: a second open fails as "in use".
        LinuxComDevice second;
        EXPECT_EQ(second.open(pty.path()), EBUSY);
        EXPECT_FALSE(comDevicePresent(pty.path()));

        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(device.waitForChange(TIOCM_DSR | TIOCM_CTS), ENOTTY);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_EQ(device.configure(ComSettings()), ENOTTY);
    }

    const ComDevicePathScope com6(6, pty.path());
    TComPort port(nullptr, std::make_unique<LinuxComDevice>());
    port.setPort(6);
    try {
        port.Open();
        FAIL() << "no exception";
    } catch (const EComState &e) {
        EXPECT_STREQ(e.what(), "Unable to set com state: 25");
    }
    EXPECT_FALSE(port.Connected());
    // The failed open released the device.
    EXPECT_TRUE(comDevicePresent(pty.path()));
}

TEST(ComPorts, DevicePathTableWithOverrides)
{
    EXPECT_EQ(comDevicePath(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(comDevicePath(3), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(comDevicePath(8), QStringLiteral("/dev/ttyACM1"));
    EXPECT_TRUE(comDevicePath(0).isEmpty());
    EXPECT_TRUE(comDevicePath(9).isEmpty());

    {
        const ComDevicePathScope com3(3, QStringLiteral("/dev/serial/by-id/usb-adapter"));
        const ComDevicePathScope com12(12, QStringLiteral("/dev/ttyUSB7"));
        const ComDevicePathScope com0(0, QStringLiteral("/dev/ttyS9"));
        EXPECT_EQ(comDevicePath(3), QStringLiteral("/dev/serial/by-id/usb-adapter"));
        EXPECT_EQ(comDefaultDevicePath(3), QStringLiteral("/dev/ttyUSB0"));
        EXPECT_EQ(comDevicePath(12), QStringLiteral("/dev/ttyUSB7"));
        EXPECT_TRUE(comDevicePath(0).isEmpty());
        const ComDevicePathScope table3(3, QString());
        EXPECT_EQ(comDevicePath(3), QStringLiteral("/dev/ttyUSB0"));
    }
    EXPECT_TRUE(comDevicePath(12).isEmpty());
}

TEST(ComPorts, ProbeBuildsThePortMask)
{
    QStringList asked;
    const auto present = [&](const QStringList &paths) {
        return [&asked, paths](const QString &path) {
            asked.append(path);
            return paths.contains(path);
        };
    };
    EXPECT_EQ(ProbeComPorts(present({})), 0u);
    EXPECT_EQ(asked.size(), ProbedPorts);

    const quint32 mask =
        ProbeComPorts(present({QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyUSB1")}));
    EXPECT_EQ(mask, 0x0004000Au);
    EXPECT_TRUE(portPresent(mask, 2));
    EXPECT_TRUE(portPresent(mask, 4));
    EXPECT_FALSE(portPresent(mask, 1));
    EXPECT_EQ(highestPort(mask), 4);

    EXPECT_EQ(ProbeComPorts(present({QStringLiteral("/dev/ttyACM1"), QStringLiteral("/dev/ttyS0")})),
              0x00080081u);

    // The probe looks at the overridden path.
    PseudoTerminal pty;
    const ComDevicePathScope com7(7, pty.path());
    EXPECT_TRUE(portPresent(ProbeComPorts(), 7));
}

TEST(ComPorts, PresenceOnThisMachine)
{
    EXPECT_FALSE(comDevicePresent(QStringLiteral("/dev/ttyOmbrelMissing")));
    EXPECT_FALSE(comDevicePresent(QStringLiteral("/dev/null")));
    EXPECT_FALSE(comDevicePresent(QString()));
    PseudoTerminal pty;
    EXPECT_TRUE(comDevicePresent(pty.path()));
    // A pseudo-terminal has no driver link in sysfs.
    EXPECT_FALSE(comCtsAlwaysOn(pty.path()));
}

TEST(ComPorts, MessagesForFixableOpenErrors)
{
    const QString denied = comOpenErrorText(EACCES, QStringLiteral("/dev/ttyOmbrelMissing"));
    EXPECT_TRUE(denied.contains(u"/dev/ttyOmbrelMissing"));
    EXPECT_TRUE(denied.contains(u"\u201Edialout\u201C"));
    EXPECT_TRUE(denied.contains(u"usermod -aG dialout"));
    EXPECT_TRUE(comOpenErrorText(EBUSY, QStringLiteral("/dev/ttyUSB0")).contains(u"anderen Programm"));
    EXPECT_TRUE(comOpenErrorText(ENOENT, QStringLiteral("/dev/ttyUSB0")).isEmpty());
    EXPECT_TRUE(comOpenErrorText(EIO, QStringLiteral("/dev/ttyUSB0")).isEmpty());
}

// A real port with a loopback plug (4-6, 7-8), named by OMBREL_LOOPBACK_PORT=/dev/ttyUSB0.
TEST(ComLoopback, RealPortReportsItsOwnOutputs)
{
    const QString path = qEnvironmentVariable("OMBREL_LOOPBACK_PORT");
    if (path.isEmpty())
        GTEST_SKIP() << "set OMBREL_LOOPBACK_PORT to a port with a loopback plug";
    auto owned = std::make_unique<LinuxComDevice>();
    LinuxComDevice *device = owned.get();
    const ComDevicePathScope com8(8, path);
    TComPort port(nullptr, std::move(owned));
    port.setPort(8);
    port.setEvents(eventSet({evCTS, evDSR}));
    std::vector<quint32> seen;
    const auto record = [&](TComPort *sender) { seen.push_back(sender->modemStatus()); };
    QObject::connect(&port, &TComPort::OnCTS, record);
    QObject::connect(&port, &TComPort::OnDSR, record);
    port.Open();
    // DTR and RTS are on, so both inputs are.
    ASSERT_TRUE(QTest::qWaitFor([&] { return port.liveModemStatus().has_value(); }, 2000));
    EXPECT_EQ(*port.liveModemStatus() & (MS_DSR_ON | MS_CTS_ON), MS_DSR_ON | MS_CTS_ON);

    QTest::qWait(50);
    ASSERT_EQ(device->setOutputs(false, true), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.empty(); }, 2000));
    EXPECT_EQ(seen.back() & (MS_DSR_ON | MS_CTS_ON), MS_CTS_ON);
    seen.clear();
    ASSERT_EQ(device->setOutputs(true, false), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return seen.size() >= 2 || (!seen.empty() && seen.back() == MS_DSR_ON); }, 2000));
    EXPECT_EQ(seen.back() & (MS_DSR_ON | MS_CTS_ON), MS_DSR_ON);
    ASSERT_EQ(device->setOutputs(true, true), 0);
    port.Close();
}

} // namespace

// A sysfs and procfs tree as the kernel lays it out for an on-board port and two USB adapters.
TEST(InterruptCpu, FollowsTheDeviceToItsInterruptAndItsOneCpu)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString sys = root.filePath(QStringLiteral("sys"));
    const QString proc = root.filePath(QStringLiteral("proc"));
    auto write = [](const QString &path, const QByteArray &text) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text + '\n');
    };
    auto link = [&](const QString &name, const QString &target) {
        QDir().mkpath(sys + QStringLiteral("/class/tty/") + name);
        QDir().mkpath(sys + QStringLiteral("/devices/") + target);
        ASSERT_TRUE(QFile::link(sys + QStringLiteral("/devices/") + target,
                                sys + QStringLiteral("/class/tty/") + name + QStringLiteral("/device")));
    };
    // The on-board port names its own line.
    QDir().mkpath(sys + QStringLiteral("/class/tty/ttyS0"));
    write(sys + QStringLiteral("/class/tty/ttyS0/irq"), "4");
    write(proc + QStringLiteral("/irq/4/effective_affinity_list"), "1");
    // An adapter behind a host controller with MSI vectors; its legacy "irq" is not the one used.
    const QString xhci = QStringLiteral("pci0000:00/0000:00:14.0");
    link(QStringLiteral("ttyUSB0"), xhci + QStringLiteral("/usb1/1-2/1-2:1.0/ttyUSB0"));
    write(sys + QStringLiteral("/devices/") + xhci + QStringLiteral("/irq"), "16");
    write(sys + QStringLiteral("/devices/") + xhci + QStringLiteral("/msi_irqs/130"), "msix");
    write(sys + QStringLiteral("/devices/") + xhci + QStringLiteral("/msi_irqs/128"), "msix");
    write(proc + QStringLiteral("/irq/128/effective_affinity_list"), "0");
    // One whose interrupt may go to either CPU.
    link(QStringLiteral("ttyACM0"), QStringLiteral("pci0000:00/0000:00:15.0/usb2/2-1/2-1:1.0/tty/ttyACM0"));
    write(sys + QStringLiteral("/devices/pci0000:00/0000:00:15.0/irq"), "17");
    write(proc + QStringLiteral("/irq/17/smp_affinity_list"), "0-1");

    const struct
    {
        const char *name;
        int cpu;
    } cases[] = {{"ttyS0", 1}, {"ttyUSB0", 0}, {"ttyACM0", -1}, {"ttyS7", -1}, {"../ttyS0", -1}};
    for (const auto &c : cases)
        EXPECT_EQ(interruptCpuOf(QString::fromLatin1(c.name), sys, proc), c.cpu) << c.name;
}
