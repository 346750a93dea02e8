// Loading start lists and saving what the runs produce, as the operator meets the faults.
#include "tests/app/FMainFixture.h"

#include "controls/MessageBox.h"

#include <QAbstractAnimation>
#include <QDir>
#include <QMessageBox>

#include <functional>

TEST_F(FMainTest, AStartListThatCannotBeReadLeavesTheProtocolAsItWas)
{
    loadBytes("1;Anna;Blitz\r\n2;Bernd;Donner\r\n", u"gut.txt"_qs);
    const QString caption = form->windowTitle();
    auto *grid = form->findChild<TSortGrid *>(u"SortGrid1"_qs);
    auto *lane1 = form->findChild<QComboBox *>(u"cbBuhn1"_qs);
    auto *lane2 = form->findChild<QComboBox *>(u"cbBuhn2"_qs);
    ASSERT_TRUE(grid && lane1 && lane2);
    const QStringList items = {lane1->itemText(0), lane1->itemText(1)};

    auto write = [&](const char *name, const QByteArray &bytes) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"Ordner"_qs));
    const QString huge = write("riesig.txt", "1;Anna;Blitz\r\n");
    ASSERT_TRUE(QFile(huge).resize(qint64(40) << 20)); // sparse: costs no disk
    struct Case
    {
        const char *name;
        QString path;
        QString reason;
    };
    const Case cases[] = {
        {"a folder", dir.filePath(u"Ordner"_qs), u"Ordner"_qs},
        {"a missing file", dir.filePath(u"fehlt.txt"_qs), u"gibt es nicht"_qs},
        {"an empty file", write("leer.txt", ""), u"leer"_qs},
        {"a header only", write("kopf.txt", "Nr.;Name;Pferd\r\n"), u"keinen Eintrag"_qs},
        {"empty lines only", write("zeilen.txt", "\r\n\r\n\n\r"), u"keinen Eintrag"_qs},
        {"a file far too large", huge, u"zu groß"_qs},
    };
    for (const Case &c : cases) {
        const MessageBox::Answers boxes;
        loadFile(c.path);
        const QList<MessageBox::Seen> &seen = boxes.seen();
        ASSERT_EQ(seen.size(), 1) << c.name;
        EXPECT_EQ(seen[0].icon, QMessageBox::Critical) << c.name;
        EXPECT_TRUE(seen[0].text.contains(QDir::toNativeSeparators(c.path))) << c.name;
        EXPECT_TRUE(seen[0].text.contains(c.reason)) << c.name << ": " << seen[0].text.toStdString();
        EXPECT_EQ(form->windowTitle(), caption) << c.name;
        EXPECT_EQ(grid->RowCount(), 3) << c.name;
        EXPECT_EQ(QStringList({cell(1, 1), cell(1, 2)}), QStringList({u"Anna"_qs, u"Bernd"_qs})) << c.name;
        EXPECT_EQ(QStringList({lane1->itemText(0), lane1->itemText(1)}), items) << c.name;
        EXPECT_EQ(lane1->currentIndex(), 0) << c.name;
        EXPECT_EQ(lane2->currentIndex(), 1) << c.name;
    }
}

TEST_F(FMainTest, ALoadThatLeavesSomethingOutSaysSoInTheNoticeStrip)
{
    loadBytes("1;" + QByteArray(5000, 'x') + "\r\n2;Bernd\r" + QByteArray(800, '\r'));
    auto *grid = form->findChild<TSortGrid *>(u"SortGrid1"_qs);
    auto *notice = form->findChild<QLabel *>(u"Notice"_qs);
    ASSERT_TRUE(grid && notice);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(cell(1, 1), QString(1000, u'x'));
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains(u"1 Zellen auf 1000 Zeichen gekürzt"_qs))
        << notice->text().toStdString();
    EXPECT_TRUE(notice->text().contains(u"800 leere Zeilen am Ende übergangen"_qs));
}

TEST_F(FMainTest, EveryFailureStaysInTheNoticeStripUntilClicked)
{
    loadBytes("1;Anna;Blitz\r\n2;Bernd;Donner\r\n");
    auto *start = form->findChild<TBitBtnWithColor *>(u"bSTART"_qs);
    auto *notice = form->findChild<QLabel *>(u"Notice"_qs);
    ASSERT_TRUE(start && notice);
    // Folders where the automatic save and the run log should go: both fail.
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"ombrel.txt"_qs));
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"ombrel-Laeufe.log"_qs));
    QTest::mousePress(start, Qt::LeftButton);
    QTest::mouseRelease(start, Qt::LeftButton);
    key(Qt::Key_1);
    key(Qt::Key_2);
    QStringList lines = notice->text().split(u'\n');
    ASSERT_EQ(lines.size(), 2) << notice->text().toStdString();
    EXPECT_TRUE(lines[0].contains(u"nicht automatisch gesichert"_qs)); // newest first
    EXPECT_TRUE(lines[1].contains(u"Laufprotokoll"_qs));

    // The next run does not hide what has not been seen.
    key(Qt::Key_0);
    QTest::mousePress(start, Qt::LeftButton);
    QTest::mouseRelease(start, Qt::LeftButton);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text().split(u'\n'), lines);

    // A click clears the strip; what fails next stands alone.
    QTest::mouseClick(notice, Qt::LeftButton);
    EXPECT_FALSE(notice->isVisible());
    ASSERT_TRUE(QDir(dir.path()).rmdir(u"ombrel.txt"_qs));
    key(Qt::Key_1);
    EXPECT_TRUE(notice->isVisible());
    lines = notice->text().split(u'\n');
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(u"Laufprotokoll"_qs));
}

TEST_F(FMainTest, TheNoticeStripKeepsTheNewestFiveLinesOnceAndNothingOfAGoneNotice)
{
    loadStartList();
    rowMenu(rowOf(1), "Zeileentfernen1"); // every time of lane 1 gets a notice with the time in it
    for (int seconds : {1, 2, 3, 4, 5, 6, 7, 5}) {
        choose(combo("cbBuhn1"), 0);
        choose(combo("cbBuhn2"), 1);
        button("bSTART")->click();
        ticks += 1000 * seconds;
        key(Qt::Key_1);
        key(Qt::Key_2);
        key(Qt::Key_0);
    }
    QLabel *notice = label("Notice");
    QStringList times;
    for (const QString &line : notice->text().split(u'\n'))
        times.append(line.section(u' ', 2, 2));
    EXPECT_EQ(times, QStringList({u"5,00"_qs, u"7,00"_qs, u"6,00"_qs, u"4,00"_qs, u"3,00"_qs}));
    QTest::mouseClick(notice, Qt::LeftButton);
    EXPECT_TRUE(form->findChildren<QAbstractAnimation *>().isEmpty());
}
