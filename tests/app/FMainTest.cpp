#include "tests/app/FMainFixture.h"

#include "controls/MessageBox.h"

TEST_F(FMainTest, StartsIdleWithOnlyLoadingAvailable)
{
    EXPECT_EQ(form->windowTitle(), u"Ombrel v. 0.90"_qs);
    const QLabel *date = label("PanelDate");
    EXPECT_TRUE(date->text().startsWith(QDate::currentDate().toString(u"dd.MM.yyyy   "_qs)))
        << date->text().toStdString();
    EXPECT_LE(date->fontMetrics().horizontalAdvance(date->text()), date->contentsRect().width());
    EXPECT_EQ(combo("cbMode")->currentText(), u"Passrennen"_qs);
    EXPECT_TRUE(child<QWidget>(u"PanelT2"_qs)->isVisible());
    EXPECT_FALSE(button("bSTART")->isEnabled());
    EXPECT_TRUE(button("sbLoad")->isEnabled());
    for (const char *name : {"sbSave", "sbExcel", "sbHTML", "sbPrint", "sbGramoty", "sbCLS"})
        EXPECT_FALSE(button(name)->isEnabled()) << name;
    EXPECT_FALSE(combo("cbBuhn1")->isEnabled());
    EXPECT_EQ(led()->Kind(), lkRed);
    EXPECT_TRUE(action("mStart")->shortcut().isEmpty());
    EXPECT_EQ(grid()->Rows(0).mid(0, 5),
              QStringList({u"Nr."_qs, u"Name"_qs, u"Pferd"_qs, u"Zeit"_qs, u"Platz"_qs}));
    EXPECT_EQ(button("bFSTART")->geometry(), button("bSTART")->geometry());
    EXPECT_FALSE(button("bFSTART")->isVisible());
}

TEST_F(FMainTest, LoadingAStartListFillsTheSelectorsAndOffersStart)
{
    loadStartList();
    EXPECT_EQ(form->windowTitle(), u"Ombrel: startlist-4"_qs);
    QComboBox *lane1 = combo("cbBuhn1");
    QComboBox *lane2 = combo("cbBuhn2");
    ASSERT_EQ(lane1->count(), 4);
    EXPECT_EQ(lane1->itemText(0), u" 1 Jürgen Bäcker Sólfaxi  "_qs);
    EXPECT_EQ(lane1->currentIndex(), 0);
    EXPECT_EQ(lane2->currentIndex(), 1);
    EXPECT_TRUE(button("bSTART")->isEnabled());
    EXPECT_EQ(raceButton("bSTART")->Color(), clGreen);
    EXPECT_TRUE(button("sbSave")->isEnabled());
    EXPECT_TRUE(button("sbCLS")->isEnabled());

    // Both lanes on the same rider: no start.
    choose(lane2, 0);
    EXPECT_EQ(lane2->currentIndex(), 0);
    EXPECT_FALSE(button("bSTART")->isEnabled());
    choose(lane2, 2);
    EXPECT_TRUE(button("bSTART")->isEnabled());
}

TEST_F(FMainTest, AHeatFromPressToResetEntersRanksAndSavesTimes)
{
    loadStartList();
    TBitBtnWithColor *start = raceButton("bSTART");
    QTest::mousePress(start, Qt::LeftButton); // acts on the press
    EXPECT_TRUE(running());
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(button("bFSTART")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), button("bFSTART"));
    EXPECT_EQ(raceButton("bSTOP1")->Color(), clRed);
    EXPECT_FALSE(combo("cbBuhn1")->isEnabled());
    EXPECT_FALSE(button("sbLoad")->isEnabled());
    QTest::mouseRelease(start, Qt::LeftButton);

    advanceClock(9999);
    EXPECT_EQ(laneDisplay(0), u"009,99"_qs);
    EXPECT_EQ(laneDisplay(1), u"009,99"_qs);
    EXPECT_EQ(digit(0, 0)->ColorOn(), 0x404040u); // leading digits stay dim until reached
    EXPECT_EQ(digit(0, 2)->ColorOn(), clYellow);

    ticks += 2345; // lane 2 first, by its key
    key(Qt::Key_2);
    EXPECT_EQ(laneDisplay(1), u"012,34"_qs);
    EXPECT_EQ(cell(3, rowOf(2)), u"12,34"_qs);
    EXPECT_FALSE(button("bRESET")->isEnabled());
    EXPECT_FALSE(button("bFSTART")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), button("bSTOP1"));
    EXPECT_TRUE(running());
    advanceClock(100); // the stopped lane keeps its time, the other runs on
    EXPECT_EQ(laneDisplay(1), u"012,34"_qs);
    EXPECT_EQ(laneDisplay(0), u"012,44"_qs);
    EXPECT_EQ(digit(0, 1)->ColorOn(), clYellow);

    ticks += 900; // lane 1 by a press on its button
    QTest::mousePress(raceButton("bSTOP1"), Qt::LeftButton);
    EXPECT_FALSE(running());
    EXPECT_TRUE(button("bRESET")->isEnabled());
    EXPECT_EQ(raceButton("bRESET")->Color(), clBlack);
    EXPECT_EQ(QApplication::focusWidget(), button("bRESET"));
    EXPECT_EQ(sounds.size(), 2);

    // Ranked and saved at once, byte for byte.
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("ombrel.txt"))),
              readFile(testData("autosave-after-first-heat.txt")));
    const QStringList log =
        fromAnsi(readFile(runLogPath())).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].endsWith(u"\t2\t2\tAnna Größer\tÞokki\t12,34"_qs)) << log[0].toStdString();
    EXPECT_TRUE(log[1].endsWith(u"\t1\t1\tJürgen Bäcker\tSólfaxi\t13,34"_qs)) << log[1].toStdString();

    key(Qt::Key_0);
    EXPECT_EQ(laneDisplay(0), u"000,00"_qs);
    EXPECT_EQ(combo("cbBuhn1")->currentIndex(), 2);
    EXPECT_EQ(combo("cbBuhn2")->currentIndex(), 3);
    EXPECT_TRUE(action("mReset")->shortcut().isEmpty());
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), start);
}

TEST_F(FMainTest, FalseStartCancelsTheRunAndKeepsTheRiders)
{
    loadStartList();
    const QByteArray before = readFile(dir.filePath(QStringLiteral("ombrel.txt")));
    QTest::mouseClick(led(), Qt::LeftButton);
    EXPECT_EQ(led()->Kind(), lkGreen);
    button("bSTART")->setFocus();
    key(Qt::Key_Space);
    ASSERT_TRUE(running());
    EXPECT_EQ(led()->Kind(), lkRed);
    advanceClock(500);
    EXPECT_EQ(laneDisplay(0), u"000,50"_qs);
    key(Qt::Key_F);
    EXPECT_FALSE(running());
    EXPECT_EQ(laneDisplay(0), u"000,00"_qs);
    EXPECT_EQ(combo("cbBuhn1")->currentIndex(), 0);
    EXPECT_EQ(combo("cbBuhn2")->currentIndex(), 1);
    EXPECT_TRUE(action("mSTOP1")->shortcut().isEmpty());
    EXPECT_TRUE(button("bSTART")->isEnabled());
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("ombrel.txt"))), before);
    for (int r = 1; r < grid()->RowCount(); ++r)
        EXPECT_EQ(cell(3, r), u" "_qs);

    // Once a lane stopped, "F" does nothing.
    button("bSTART")->click();
    key(Qt::Key_1);
    key(Qt::Key_F);
    EXPECT_TRUE(running());
    EXPECT_FALSE(button("bRESET")->isEnabled());
}

TEST_F(FMainTest, PaceTestModeHidesLaneTwoAndNeverArmsIt)
{
    loadStartList();
    choose(combo("cbMode"), 0);
    EXPECT_FALSE(child<QWidget>(u"PanelT2"_qs)->isVisible());
    EXPECT_FALSE(combo("cbBuhn2")->isVisible());
    EXPECT_EQ(button("bSTOP1")->text(), u"STOPP"_qs);
    button("bSTART")->click();
    EXPECT_FALSE(action("mStop2")->isEnabled()) << "the hidden lane is never armed";
    ticks += 4321;
    key(Qt::Key_1);
    EXPECT_FALSE(running()); // the visible lane ends the run
    EXPECT_TRUE(button("bRESET")->isEnabled());

    ticks += 1000; // neither key, button nor menu item gives the hidden lane a time
    key(Qt::Key_2);
    press("bSTOP2");
    action("mStop2")->trigger();
    EXPECT_EQ(laneDisplay(1), u"000,00"_qs);
    EXPECT_EQ(cell(3, rowOf(1)), u"4,32"_qs);
    EXPECT_EQ(cell(3, rowOf(2)).trimmed(), QString());

    // Switched to one lane during a run, lane 2 stops taking part at once.
    key(Qt::Key_0);
    choose(combo("cbMode"), 1);
    EXPECT_EQ(button("bSTOP1")->text(), u"STOPP &1"_qs);
    button("bSTART")->click();
    key(Qt::Key_1);
    choose(combo("cbMode"), 0);
    EXPECT_FALSE(running());
    EXPECT_FALSE(action("mStop2")->isEnabled());
}

TEST_F(FMainTest, TimesStayRightWhenTheTickCounterWraps)
{
    loadStartList();
    ticks = 0xFFFFFF00u;
    button("bSTART")->click();
    ticks += 0x300; // wraps past 2^32
    key(Qt::Key_1);
    EXPECT_EQ(laneDisplay(0), u"000,76"_qs);
    EXPECT_EQ(cell(3, 1), u"0,76"_qs);
}

TEST_F(FMainTest, ClosingAsksOnlyDuringARun)
{
    loadStartList();
    button("bSTART")->click();
    MessageBox::Answers answers({QMessageBox::No, QMessageBox::Yes});
    EXPECT_FALSE(form->close());
    EXPECT_EQ(answers.texts(), QStringList({u"Beenden?"_qs}));
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(running());
    EXPECT_TRUE(form->close());
}

TEST_F(FMainTest, ClosingWhenIdleNeedsNoAnswer)
{
    // No answer is scheduled: a question would block here.
    EXPECT_TRUE(form->close());
}

TEST_F(FMainTest, HiddenMenuShortcutsActOnce)
{
    loadStartList();
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(led()->Kind(), lkGreen);
    EXPECT_FALSE(running()); // Alt+S arms, never starts
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(led()->Kind(), lkRed);
    key(Qt::Key_S);
    EXPECT_FALSE(running());

    key(Qt::Key_F1);
    key(Qt::Key_I, Qt::AltModifier);
    button("bHelp")->click();
    ASSERT_EQ(opened.size(), 3);
    for (const QUrl &url : opened)
        EXPECT_EQ(url, QUrl::fromLocalFile(dir.filePath(QStringLiteral("ombrel.html"))));

    key(Qt::Key_B, Qt::AltModifier); // idle: closes without a question
    EXPECT_FALSE(form->isVisible());
}

TEST_F(FMainTest, ATimeWithoutARowIsKeptAndReported)
{
    loadStartList();
    // The row of lane 1's rider goes away through the context menu.
    rowMenu(rowOf(1), "Zeileentfernen1");
    ASSERT_EQ(grid()->RowCount(), 4);
    ASSERT_EQ(rowOf(1), -1);
    button("bSTART")->click();
    ticks += 7777;
    key(Qt::Key_1);
    QLabel *notice = label("Notice");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains(u"Bahn 1"_qs));
    EXPECT_EQ(laneDisplay(0), u"007,77"_qs);
    for (int r = 1; r < grid()->RowCount(); ++r)
        EXPECT_NE(cell(3, r), u"7,77"_qs);
    EXPECT_TRUE(fromAnsi(readFile(runLogPath())).contains(u"\t1\t1\t"_qs));
    // The run still ends normally.
    ticks += 10;
    key(Qt::Key_2);
    EXPECT_TRUE(button("bRESET")->isEnabled());
}

TEST_F(FMainTest, ModeWindowAndFileTypeSurviveARestart)
{
    loadStartList();
    QString offered;
    form->execFileDialog = [&](QFileDialog &dialog) {
        offered = dialog.selectedNameFilter();
        dialog.selectNameFilter(dialog.nameFilters().value(2)); // text
        dialog.selectFile(dir.filePath(u"p.txt"_qs));
        return int(QDialog::Accepted);
    };
    button("sbSave")->click();
    EXPECT_TRUE(offered.contains(u"*.html"_qs)); // the first save offers the web page
    choose(combo("cbMode"), 0);
    // Within the test screen (800 x 600), which only the minimum width exceeds.
    form->resize(798, 480);
    form->move(0, 30);
    const QPoint place = form->pos();

    form.reset(); // writes the settings
    form = std::make_unique<TFormMain>();
    EXPECT_EQ(combo("cbMode")->currentIndex(), 0);
    EXPECT_FALSE(child<QWidget>(u"PanelT2"_qs)->isVisibleTo(form.get()));
    EXPECT_EQ(form->size(), QSize(798, 480));
    EXPECT_EQ(form->pos(), place);
    loadStartList();
    form->execFileDialog = [&](QFileDialog &dialog) {
        offered = dialog.selectedNameFilter();
        return int(QDialog::Rejected);
    };
    button("sbSave")->click();
    EXPECT_TRUE(offered.contains(u"*.txt"_qs)) << offered.toStdString();
}

TEST_F(FMainTest, SettingsOpenByAltEEvenDuringARun)
{
    loadStartList();
    button("bSTART")->click();
    EXPECT_FALSE(button("bCFG")->isEnabled());
    bool shown = false;
    QTimer::singleShot(0, cfg, [&] {
        shown = cfg->isVisible();
        childOf<QPushButton>(*cfg, "CancelBtn")->click();
    });
    key(Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(running()); // the run goes on
}
