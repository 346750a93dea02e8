#include "protocol/RunLog.h"

#include "platform/AnsiCodec.h"

#include <QFile>

#include <algorithm>
#include <utility>

RunLog::RunLog(QString path)
    : m_path(std::move(path))
{}

QByteArray RunLog::recordBytes(const Record &record)
{
    QString line = record.when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + u'\t' +
                   (record.lane > 0 ? QString::number(record.lane) : QString()) + u'\t' +
                   (record.number < 0 ? QString() : QString::number(record.number)) + u'\t' + record.rider +
                   u'\t' + record.horse + u'\t' + record.time;
    if (!record.remark.isEmpty())
        line += u'\t' + record.remark;
    return toAnsi(line + QStringLiteral("\r\n"));
}

bool RunLog::append(QIODevice &device, QByteArray bytes)
{
    const qint64 size = device.size();
    if (size > 0) {
        if (!device.seek(std::max<qint64>(0, size - 2)))
            return false;
        const QByteArray tail = device.read(2);
        if (tail.endsWith('\r'))
            bytes.prepend('\n');
        else if (!tail.endsWith("\r\n"))
            bytes.prepend("\r\n");
    }
    // The whole record in one write: a crash can cut it, but never interleave it with another.
    return device.seek(size) && device.write(bytes) == bytes.size();
}

bool RunLog::append(const Record &record, QString *errorText) const
{
    QFile log(m_path);
    const bool written = log.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered) &&
                         append(log, recordBytes(record));
    if (!written && errorText)
        *errorText = log.errorString();
    return written;
}
