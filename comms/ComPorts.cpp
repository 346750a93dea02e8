#include "comms/ComPorts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::array<const char16_t *, ProbedPorts> DefaultPaths = {
    u"/dev/ttyS0",   u"/dev/ttyS1",   u"/dev/ttyUSB0", u"/dev/ttyUSB1",
    u"/dev/ttyUSB2", u"/dev/ttyUSB3", u"/dev/ttyACM0", u"/dev/ttyACM1"};

QMap<int, QString> &overrides()
{
    static QMap<int, QString> paths;
    return paths;
}

QString sysfsDir(const QString &path)
{
    return QStringLiteral("/sys/class/tty/") + QFileInfo(path).fileName();
}

QString groupOf(const QString &path)
{
    struct stat info = {};
    if (stat(QFile::encodeName(path).constData(), &info) == 0) {
        if (const group *g = getgrgid(info.st_gid); g != nullptr && info.st_gid != 0)
            return QString::fromLocal8Bit(g->gr_name);
    }
    return QStringLiteral("dialout");
}

QString userName()
{
    if (const passwd *p = getpwuid(getuid()); p != nullptr)
        return QString::fromLocal8Bit(p->pw_name);
    return QStringLiteral("$USER");
}

} // namespace

QString comDefaultDevicePath(int port)
{
    if (port < 1 || port > ProbedPorts)
        return {};
    return QString::fromUtf16(DefaultPaths[std::size_t(port - 1)]);
}

QString comDevicePath(int port)
{
    const auto it = overrides().constFind(port);
    return it != overrides().cend() ? *it : comDefaultDevicePath(port);
}

namespace {

void setOverride(int port, const std::optional<QString> &path)
{
    if (path && !path->isEmpty())
        overrides().insert(port, *path);
    else
        overrides().remove(port);
}

} // namespace

ComDevicePathScope::ComDevicePathScope(int port, const QString &path)
    : m_port(port >= 1 && port <= 255 ? port : 0)
{
    if (m_port == 0)
        return;
    if (const auto it = overrides().constFind(m_port); it != overrides().cend())
        m_previous = *it;
    setOverride(m_port, path);
}

ComDevicePathScope::~ComDevicePathScope()
{
    if (m_port != 0)
        setOverride(m_port, m_previous);
}

bool comDevicePresent(const QString &path)
{
    if (path.isEmpty())
        return false;
    // The kernel creates ttyS0..3 whether or not a UART is fitted; type 0 means none.
    if (QFileInfo(path).fileName().startsWith(u"ttyS")) {
        QFile type(sysfsDir(path) + QStringLiteral("/type"));
        if (type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "0")
            return false;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info = {};
    const bool present =
        fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && isatty(fd) && flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return present;
}

quint32 ProbeComPorts(const ComPresence &present)
{
    quint32 mask = 0;
    for (int n = 1; n <= ProbedPorts; ++n) {
        if (present(comDevicePath(n)))
            mask = (mask & 0xFFFFu) | (1u << (n - 1)) | (quint32(n) << 16);
    }
    return mask;
}

QString comDriverName(const QString &path)
{
    const QFileInfo link(sysfsDir(path) + QStringLiteral("/device/driver"));
    if (!link.isSymLink())
        return {};
    return QFileInfo(link.symLinkTarget()).fileName();
}

bool comCtsAlwaysOn(const QString &path)
{
    return comDriverName(path) == u"cdc_acm";
}

QString comOpenErrorText(int code, const QString &path)
{
    if (code == EACCES || code == EPERM) {
        const QString group = groupOf(path);
        return QStringLiteral(
                   "Keine Berechtigung für %1. Der Benutzer muss zur Gruppe \u201E%2\u201C gehören: "
                   "sudo usermod -aG %2 %3 eingeben, dann ab- und wieder anmelden.")
            .arg(path, group, userName());
    }
    if (code == EBUSY)
        return QStringLiteral("%1 wird bereits von einem anderen Programm benutzt.").arg(path);
    return {};
}
