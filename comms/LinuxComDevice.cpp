#include "comms/LinuxComDevice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct SpeedCode
{
    int baud;
    speed_t code;
};

constexpr std::array<SpeedCode, 14> Speeds = {{{110, B110},
                                               {300, B300},
                                               {600, B600},
                                               {1200, B1200},
                                               {2400, B2400},
                                               {4800, B4800},
                                               {9600, B9600},
                                               {19200, B19200},
                                               {38400, B38400},
                                               {57600, B57600},
                                               {115200, B115200},
                                               {230400, B230400},
                                               {460800, B460800},
                                               {921600, B921600}}};

// termios has no codes for 14400, 28800, 56000, 128000 or 256000; the nearest standard speed
// serves, since only the modem-status lines are used.
speed_t speedCode(int baud)
{
    const SpeedCode *best = &Speeds[0];
    for (const SpeedCode &s : Speeds) {
        if (std::abs(s.baud - baud) < std::abs(best->baud - baud))
            best = &s;
    }
    return best->code;
}

tcflag_t sizeFlag(int dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

ComDeviceFactory &deviceFactory()
{
    static ComDeviceFactory factory;
    return factory;
}

} // namespace

std::unique_ptr<ComDevice> createComDevice()
{
    const ComDeviceFactory &factory = deviceFactory();
    if (factory)
        return factory();
    return std::make_unique<LinuxComDevice>();
}

ComDeviceFactoryScope::ComDeviceFactoryScope(ComDeviceFactory factory)
    : m_previous(std::exchange(deviceFactory(), std::move(factory)))
{}

ComDeviceFactoryScope::~ComDeviceFactoryScope()
{
    deviceFactory() = std::move(m_previous);
}

LinuxComDevice::~LinuxComDevice()
{
    close();
}

int LinuxComDevice::open(const QString &path)
{
    close();
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat info = {};
    int error = 0;
    if (fstat(fd, &info) != 0)
        error = errno;
    else if (!S_ISCHR(info.st_mode))
        error = ENOTTY;
    else if (ioctl(fd, TIOCEXCL) != 0)
        error = errno;
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        error = errno == EWOULDBLOCK ? EBUSY : errno;
    if (error != 0) {
        ::close(fd);
        return error;
    }
    m_fd = fd;
    m_path = path;
    return 0;
}

int LinuxComDevice::interruptCpu() const
{
    return interruptCpuOf(QFileInfo(QFileInfo(m_path).canonicalFilePath()).fileName());
}

namespace {

QByteArray readSmall(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(256).trimmed() : QByteArray();
}

// The interrupt a sysfs device directory names: its first MSI vector, else its "irq" file (which
// names the unused legacy line of a PCI device that has MSI vectors).
int irqOfDevice(const QDir &device)
{
    QStringList vectors = QDir(device.filePath(QStringLiteral("msi_irqs"))).entryList(QDir::Files);
    std::sort(vectors.begin(), vectors.end(),
              [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    if (!vectors.isEmpty())
        return vectors.constFirst().toInt();
    bool ok = false;
    const int irq = readSmall(device.filePath(QStringLiteral("irq"))).toInt(&ok);
    return ok && irq > 0 ? irq : -1;
}

} // namespace

int interruptCpuOf(const QString &name, const QString &sysRoot, const QString &procRoot)
{
    if (name.isEmpty() || name.contains(u'/'))
        return -1;
    const QString device =
        QFileInfo(sysRoot + QStringLiteral("/class/tty/") + name + QStringLiteral("/device"))
            .canonicalFilePath();
    int irq = -1;
    if (QFile::exists(sysRoot + QStringLiteral("/class/tty/") + name + QStringLiteral("/irq")))
        irq = irqOfDevice(QDir(sysRoot + QStringLiteral("/class/tty/") + name));
    const QString top = QFileInfo(sysRoot + QStringLiteral("/devices")).canonicalFilePath();
    for (QString dir = device; irq <= 0 && !dir.isEmpty() && dir.startsWith(top + u'/');
         dir = QFileInfo(dir).absolutePath())
        irq = irqOfDevice(QDir(dir));
    if (irq <= 0)
        return -1;
    const QString affinity = procRoot + QStringLiteral("/irq/%1/").arg(irq);
    QByteArray cpus = readSmall(affinity + QStringLiteral("effective_affinity_list"));
    if (cpus.isEmpty())
        cpus = readSmall(affinity + QStringLiteral("smp_affinity_list"));
    bool ok = false;
    const int cpu = cpus.toInt(&ok); // "0-3" or "0,2" do not read as one number
    return ok && cpu >= 0 ? cpu : -1;
}

int LinuxComDevice::configure(const ComSettings &settings)
{
    if (m_fd < 0)
        return EBADF;
    termios tio = {};
    if (tcgetattr(m_fd, &tio) != 0)
        return errno;
    cfmakeraw(&tio);
    const speed_t speed = speedCode(settings.BaudRate);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    // No kernel flow control: a driver doing RTS/CTS would take RTS away from the contact.
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | sizeFlag(settings.DataBits);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    switch (settings.Parity) {
    case prNone: break;
    case prOdd: tio.c_cflag |= PARENB | PARODD; break;
    case prEven: tio.c_cflag |= PARENB; break;
    case prMark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case prSpace: tio.c_cflag |= PARENB | CMSPAR; break;
    }
    // With five data bits a UART sends 1.5 stop bits for this flag.
    if (settings.StopBits != sbOneStopBit)
        tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return errno;
    if (const int error = setOutputs(settings.EnableDTR, true))
        return error;

    // FTDI adapters otherwise report the modem status only with their 16 ms latency timer. Drivers
    // without the call, or that refuse it, simply keep their timing.
    serial_struct serial = {};
    if (ioctl(m_fd, TIOCGSERIAL, &serial) == 0 && (serial.flags & ASYNC_LOW_LATENCY) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ioctl(m_fd, TIOCSSERIAL, &serial);
    }
    return 0;
}

void LinuxComDevice::close()
{
    const int fd = m_fd.exchange(-1);
    if (fd >= 0)
        ::close(fd);
}

int LinuxComDevice::waitForChange(int lines)
{
    if (m_fd < 0)
        return EBADF;
    return ioctl(m_fd, TIOCMIWAIT, lines) == 0 ? 0 : errno;
}

int LinuxComDevice::readLines(int &lines)
{
    if (m_fd < 0)
        return EBADF;
    return ioctl(m_fd, TIOCMGET, &lines) == 0 ? 0 : errno;
}

int LinuxComDevice::readCounters(ComCounters &counters)
{
    if (m_fd < 0)
        return EBADF;
    serial_icounter_struct icount = {};
    if (ioctl(m_fd, TIOCGICOUNT, &icount) != 0)
        return errno;
    counters = {icount.cts, icount.dsr, icount.rng, icount.dcd};
    return 0;
}

int LinuxComDevice::setOutputs(bool dtr, bool rts)
{
    if (m_fd < 0)
        return EBADF;
    const int on = (dtr ? TIOCM_DTR : 0) | (rts ? TIOCM_RTS : 0);
    const int off = (TIOCM_DTR | TIOCM_RTS) & ~on;
    if (on != 0 && ioctl(m_fd, TIOCMBIS, &on) != 0)
        return errno;
    if (off != 0 && ioctl(m_fd, TIOCMBIC, &off) != 0)
        return errno;
    return 0;
}
