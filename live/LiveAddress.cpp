#include "live/LiveAddress.h"

#include <QNetworkInterface>

#include <qrencode.h>

#include <memory>

namespace Live {

QList<QHostAddress> localIPv4()
{
    QList<QHostAddress> addresses;
    const QList<QHostAddress> all = QNetworkInterface::allAddresses();
    for (const QHostAddress &address : all) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            addresses.append(address);
    }
    return addresses;
}

QStringList phoneAddresses(const QList<QHostAddress> &addresses, quint16 port)
{
    QStringList texts;
    for (const QHostAddress &address : addresses)
        texts.append(QStringLiteral("http://%1:%2/").arg(address.toString()).arg(port));
    return texts;
}

QImage qrCode(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(bytes.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code)
        return {};
    constexpr int Quiet = 4;
    const int size = code->width + 2 * Quiet;
    QImage image(size, size, QImage::Format_Mono);
    image.fill(0);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (code->data[y * code->width + x] & 1)
                image.setPixel(x + Quiet, y + Quiet, 1);
        }
    }
    return image;
}

} // namespace Live
