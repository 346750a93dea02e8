#include "settings/DlgYesNo.h"
#include "tests/TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

TEST(TFDlgYesNo, OnlyJaCountsAsYes)
{
    TFDlgYesNo box;
    QTimer::singleShot(0, &box, [&] { childOf<QPushButton>(box, "OKBtn")->click(); });
    EXPECT_TRUE(box.ask(QStringLiteral("Zeile entfernen?")));
    EXPECT_EQ(box.result(), 6);
    EXPECT_EQ(childOf<QLabel>(box, "Label1")->text(), u"Zeile entfernen?"_qs);

    QTimer::singleShot(0, &box, [&] { childOf<QPushButton>(box, "CancelBtn")->click(); });
    EXPECT_FALSE(box.ask(QStringLiteral("Beenden?")));
    EXPECT_EQ(box.result(), 2);

    QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_FALSE(box.ask(QStringLiteral("Beenden?")));

    QTimer::singleShot(0, &box, [&] { box.close(); });
    EXPECT_FALSE(box.ask(QStringLiteral("Beenden?")));
    EXPECT_EQ(box.result(), 2);
}
