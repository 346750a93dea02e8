#pragma once

#include <QHostAddress>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace Live {

// The machine's IPv4 addresses a phone on the same network can reach, loopback left out.
QList<QHostAddress> localIPv4();

// What to type on a phone: "http://192.168.1.20:8080/" for each address.
QStringList phoneAddresses(const QList<QHostAddress> &addresses, quint16 port);

// The text as a QR code, one pixel per module and the quiet zone around it; null for a text too long.
QImage qrCode(const QString &text);

} // namespace Live
