#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QIODevice;

// The run log: every time the protocol is given, appended the moment it is taken, so that no time is
// lost even when a later run, a correction or a crash changes the protocol. One line a record:
// date, lane, start number, rider, horse, time and a remark, separated by TABs, in Windows-1252.
class RunLog
{
public:
    struct Record
    {
        QDateTime when;
        int lane = 0;    // 0: not timed on a lane (by hand, a correction); left empty
        int number = -1; // -1: no start number; left empty
        QString rider;
        QString horse;
        QString time;
        QString remark; // a seventh field only when there is one, so lane records keep six
    };

    explicit RunLog(QString path);
    QString path() const { return m_path; }

    static QByteArray recordBytes(const Record &record);
    // Appends the record to the file; false with the reason in errorText when it was not written.
    bool append(const Record &record, QString *errorText = nullptr) const;
    // Appends to a device open for reading and writing. A record cut short by a crash is ended first,
    // so the new record starts on a line of its own.
    static bool append(QIODevice &device, QByteArray bytes);

private:
    QString m_path;
};
