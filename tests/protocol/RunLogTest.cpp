#include "protocol/RunLog.h"

#include "tests/TestSupport.h"

#include <QBuffer>

#include <gtest/gtest.h>

TEST(RunLog, ARecordCutShortStaysOnALineOfItsOwn)
{
    const QByteArray earlier = "2026-12-01 10:00:00\t1\t3\tCarla\tWetter\t21,01";
    const RunLog::Record record{QDateTime(QDate(2026, 12, 8), QTime(10, 15)),
                                2,
                                7,
                                u"Jörg"_qs,
                                u"Gáski"_qs,
                                u"12,34"_qs,
                                u"von Hand"_qs};
    const QByteArray line = "2026-12-08 10:15:00\t2\t7\tJ\xf6rg\tG\xe1ski\t12,34\tvon Hand\r\n";
    EXPECT_EQ(RunLog::recordBytes(record), line);
    struct Case
    {
        const char *name;
        QByteArray before;
        QByteArray after;
    };
    const Case cases[] = {
        {"cut inside a record", earlier.left(25), earlier.left(25) + "\r\n" + line},
        {"cut between CR and LF", earlier + "\r", earlier + "\r\n" + line},
        {"complete", earlier + "\r\n", earlier + "\r\n" + line},
        {"new", "", line},
    };
    for (const Case &c : cases) {
        QByteArray bytes = c.before;
        QBuffer device(&bytes);
        ASSERT_TRUE(device.open(QIODevice::ReadWrite));
        EXPECT_TRUE(RunLog::append(device, RunLog::recordBytes(record))) << c.name;
        EXPECT_EQ(bytes, c.after) << c.name;
    }
}
