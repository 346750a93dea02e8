#pragma once

#include <QString>

#include <functional>
#include <optional>

// COMn names a device: a fixed table for COM1 to COM8, which the settings can override per number.
QString comDefaultDevicePath(int port);
// The override if one is set, else the table entry; empty for 0 and for numbers without either.
QString comDevicePath(int port);

// Overrides one number's device while it lives (an empty path: the table entry); the previous override
// comes back after. Numbers outside 1..255 are ignored.
class ComDevicePathScope
{
public:
    ComDevicePathScope(int port, const QString &path);
    ~ComDevicePathScope();
    Q_DISABLE_COPY_MOVE(ComDevicePathScope)

private:
    int m_port;
    std::optional<QString> m_previous;
};

// The probe and port lists look at COM1 to COM8.
constexpr int ProbedPorts = 8;

// Whether a device is there and free: an on-board ttyS without a UART is absent, and so is a device
// that does not open exclusively (another program holds it).
bool comDevicePresent(const QString &path);

using ComPresence = std::function<bool(const QString &path)>;

// PortMask: bit n-1 set when COMn is present, bits 16 to 31 the highest present number, 0 when none.
quint32 ProbeComPorts(const ComPresence &present = comDevicePresent);
constexpr bool portPresent(quint32 mask, int port)
{
    return port >= 1 && port <= 16 && (mask & (1u << (port - 1))) != 0;
}
constexpr int highestPort(quint32 mask)
{
    return int(mask >> 16);
}

// The kernel driver behind a tty device ("ftdi_sio", "cdc_acm", "serial8250", ...), empty if unknown.
QString comDriverName(const QString &path);
// CDC-ACM adapters report CTS as always on, so an RTS-CTS contact cannot work on them.
bool comCtsAlwaysOn(const QString &path);

// The message for an open failure that the operator can fix (no permission, port in use); empty
// for every other error code, which stays silent.
QString comOpenErrorText(int code, const QString &path);
