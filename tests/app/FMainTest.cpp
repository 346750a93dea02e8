#include "tests/app/FMainFixture.h"

TEST_F(FMainTest, StartsIdleWithOnlyLoadingAvailable)
{
    EXPECT_EQ(form->windowTitle(), u"Ombrel v. 0.90"_qs);
    EXPECT_EQ(form->cbMode->currentText(), u"Passrennen"_qs);
    EXPECT_TRUE(form->PanelT2->isVisible());
    EXPECT_FALSE(form->bSTART->isEnabled());
    EXPECT_TRUE(form->sbLoad->isEnabled());
    for (QToolButton *b :
         {form->sbSave, form->sbExcel, form->sbHTML, form->sbPrint, form->sbGramoty, form->sbCLS})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(form->cbBuhn1->isEnabled());
    EXPECT_EQ(form->Led1->Kind(), lkRed);
    EXPECT_TRUE(form->mStart->shortcut().isEmpty());
    EXPECT_EQ(form->SortGrid1->Rows(0).mid(0, 5),
              QStringList({u"Nr."_qs, u"Name"_qs, u"Pferd"_qs, u"Zeit"_qs, u"Platz"_qs}));
    EXPECT_EQ(form->bFSTART->geometry(), form->bSTART->geometry());
    EXPECT_FALSE(form->bFSTART->isVisible());
}

TEST_F(FMainTest, LoadingAStartListFillsTheSelectorsAndOffersStart)
{
    loadStartList();
    EXPECT_EQ(form->windowTitle(), u"Ombrel: startlist-4"_qs);
    ASSERT_EQ(form->cbBuhn1->count(), 4);
    EXPECT_EQ(form->cbBuhn1->itemText(0), u" 1 Jürgen Bäcker Sólfaxi  "_qs);
    EXPECT_EQ(form->cbBuhn1->currentIndex(), 0);
    EXPECT_EQ(form->cbBuhn2->currentIndex(), 1);
    EXPECT_TRUE(form->bSTART->isEnabled());
    EXPECT_EQ(form->bSTART->Color(), clGreen);
    EXPECT_TRUE(form->sbSave->isEnabled());
    EXPECT_TRUE(form->sbCLS->isEnabled());

    // Both lanes on the same rider: no start.
    form->cbBuhn2->setCurrentIndex(0);
    form->cbBuhnChange();
    EXPECT_FALSE(form->bSTART->isEnabled());
}

TEST_F(FMainTest, AHeatFromPressToResetEntersRanksAndSavesTimes)
{
    loadStartList();
    QTest::mousePress(form->bSTART, Qt::LeftButton); // acts on the press
    EXPECT_TRUE(form->Clock->isActive());
    EXPECT_FALSE(form->bSTART->isEnabled());
    EXPECT_TRUE(form->bFSTART->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), form->bFSTART);
    EXPECT_EQ(form->bSTOP1->Color(), clRed);
    EXPECT_FALSE(form->cbBuhn1->isEnabled());
    EXPECT_FALSE(form->sbLoad->isEnabled());
    QTest::mouseRelease(form->bSTART, Qt::LeftButton);

    ticks += 9999;
    form->ClockTimer();
    EXPECT_EQ(laneDisplay(0), u"009,99"_qs);
    EXPECT_EQ(form->Digit[0][0]->ColorOn(), 0x404040u);
    EXPECT_EQ(form->Digit[0][2]->ColorOn(), clYellow);

    ticks += 2345; // lane 2 first, by its key
    key(Qt::Key_2);
    EXPECT_EQ(laneDisplay(1), u"012,34"_qs);
    EXPECT_EQ(cell(3, Results::rowOfStartNumber(form->SortGrid1->Storage(), 2)), u"12,34"_qs);
    EXPECT_FALSE(form->bRESET->isEnabled());
    EXPECT_FALSE(form->bFSTART->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), form->bSTOP1);
    EXPECT_TRUE(form->Clock->isActive());

    ticks += 1000; // lane 1 by a press on its button
    QTest::mousePress(form->bSTOP1, Qt::LeftButton);
    EXPECT_FALSE(form->Clock->isActive());
    EXPECT_TRUE(form->bRESET->isEnabled());
    EXPECT_EQ(form->bRESET->Color(), clBlack);
    EXPECT_EQ(QApplication::focusWidget(), form->bRESET);
    EXPECT_EQ(sounds.size(), 2);

    // Ranked and saved at once, byte for byte.
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("ombrel.txt"))),
              readFile(testData("autosave-after-first-heat.txt")));
    const QStringList log =
        fromAnsi(readFile(form->runLogPath())).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].endsWith(u"\t2\t2\tAnna Größer\tÞokki\t12,34"_qs)) << log[0].toStdString();
    EXPECT_TRUE(log[1].endsWith(u"\t1\t1\tJürgen Bäcker\tSólfaxi\t13,34"_qs)) << log[1].toStdString();

    key(Qt::Key_0);
    EXPECT_EQ(laneDisplay(0), u"000,00"_qs);
    EXPECT_EQ(form->cbBuhn1->currentIndex(), 2);
    EXPECT_EQ(form->cbBuhn2->currentIndex(), 3);
    EXPECT_TRUE(form->mReset->shortcut().isEmpty());
    EXPECT_TRUE(form->bSTART->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), form->bSTART);
}

TEST_F(FMainTest, FalseStartCancelsTheRunAndKeepsTheRiders)
{
    loadStartList();
    const QByteArray before = readFile(dir.filePath(QStringLiteral("ombrel.txt")));
    form->Led1Click();
    EXPECT_EQ(form->Led1->Kind(), lkGreen);
    form->bSTART->setFocus();
    key(Qt::Key_Space);
    ASSERT_TRUE(form->Clock->isActive());
    EXPECT_EQ(form->Led1->Kind(), lkRed);
    ticks += 500;
    form->ClockTimer();
    key(Qt::Key_F);
    EXPECT_FALSE(form->Clock->isActive());
    EXPECT_EQ(laneDisplay(0), u"000,00"_qs);
    EXPECT_EQ(form->cbBuhn1->currentIndex(), 0);
    EXPECT_EQ(form->cbBuhn2->currentIndex(), 1);
    EXPECT_TRUE(form->mSTOP1->shortcut().isEmpty());
    EXPECT_TRUE(form->bSTART->isEnabled());
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("ombrel.txt"))), before);
    for (int r = 1; r < form->SortGrid1->RowCount(); ++r)
        EXPECT_EQ(cell(3, r), u" "_qs);

    // Once a lane stopped, "F" does nothing.
    form->bSTART->click();
    key(Qt::Key_1);
    key(Qt::Key_F);
    EXPECT_TRUE(form->Clock->isActive());
    EXPECT_FALSE(form->bRESET->isEnabled());
}

TEST_F(FMainTest, PaceTestModeHidesLaneTwoButKeepsItArmed)
{
    loadStartList();
    form->cbMode->setCurrentIndex(0);
    EXPECT_FALSE(form->PanelT2->isVisible());
    EXPECT_FALSE(form->cbBuhn2->isVisible());
    EXPECT_EQ(form->bSTOP1->text(), u"STOPP"_qs);
    form->bSTART->click();
    ticks += 4321;
    key(Qt::Key_1);
    EXPECT_FALSE(form->Clock->isActive()); // the visible lane ends the run
    EXPECT_TRUE(form->bRESET->isEnabled());
    EXPECT_TRUE(form->mStop2->isEnabled());

    ticks += 1000; // the hidden lane 2 still stops by its key and is entered for its rider
    key(Qt::Key_2);
    EXPECT_EQ(laneDisplay(1), u"005,32"_qs);
    EXPECT_EQ(cell(0, 1), u"1"_qs);
    EXPECT_EQ(cell(4, 1), u"1"_qs);
    EXPECT_EQ(cell(0, 2), u"2"_qs);
    EXPECT_EQ(cell(3, 2), u"5,32"_qs);
    EXPECT_EQ(cell(4, 2), u"2"_qs);

    form->cbMode->setCurrentIndex(1);
    EXPECT_EQ(form->bSTOP1->text(), u"STOPP &1"_qs);
}

TEST_F(FMainTest, TimesStayRightWhenTheTickCounterWraps)
{
    loadStartList();
    ticks = 0xFFFFFF00u;
    form->bSTART->click();
    ticks += 0x300; // wraps past 2^32
    key(Qt::Key_1);
    EXPECT_EQ(laneDisplay(0), u"000,76"_qs);
    EXPECT_EQ(cell(3, 1), u"0,76"_qs);
}

TEST_F(FMainTest, ClosingAsksOnlyDuringARun)
{
    loadStartList();
    form->bSTART->click();
    QTimer::singleShot(0, yesNo, [this] { yesNo->CancelBtn->click(); });
    EXPECT_FALSE(form->close());
    EXPECT_EQ(yesNo->Label1->text(), u"Beenden?"_qs);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Clock->isActive());

    QTimer::singleShot(0, yesNo, [this] { yesNo->OKBtn->click(); });
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
    EXPECT_EQ(form->Led1->Kind(), lkGreen);
    EXPECT_FALSE(form->Clock->isActive()); // Alt+S arms, never starts
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(form->Led1->Kind(), lkRed);
    key(Qt::Key_S);
    EXPECT_FALSE(form->Clock->isActive());

    key(Qt::Key_F1);
    key(Qt::Key_I, Qt::AltModifier);
    form->bHelp->click();
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
    form->SortGrid1->setRow(1);
    form->Zeileentfernen1Click();
    ASSERT_EQ(form->SortGrid1->RowCount(), 4);
    form->bSTART->click();
    ticks += 7777;
    key(Qt::Key_1);
    EXPECT_TRUE(form->Notice->isVisible());
    EXPECT_TRUE(form->Notice->text().contains(u"Bahn 1"_qs));
    EXPECT_EQ(laneDisplay(0), u"007,77"_qs);
    for (int r = 1; r < form->SortGrid1->RowCount(); ++r)
        EXPECT_NE(cell(3, r), u"7,77"_qs);
    EXPECT_TRUE(fromAnsi(readFile(form->runLogPath())).contains(u"\t1\t1\t"_qs));
    // The run still ends normally.
    ticks += 10;
    key(Qt::Key_2);
    EXPECT_TRUE(form->bRESET->isEnabled());
}

TEST_F(FMainTest, ModeWindowAndFileTypeSurviveARestart)
{
    form->cbMode->setCurrentIndex(0);
    form->resize(900, 600);
    form->move(40, 30);
    const QPoint place = form->pos();
    form.reset(); // writes the settings
    form = std::make_unique<TFormMain>();
    EXPECT_EQ(form->cbMode->currentIndex(), 0);
    EXPECT_FALSE(form->PanelT2->isVisibleTo(form.get()));
    EXPECT_EQ(form->size(), QSize(900, 600));
    EXPECT_EQ(form->pos(), place);
    EXPECT_EQ(form->saveFilterIndex(), 2);
}

TEST_F(FMainTest, SettingsOpenByAltEEvenDuringARun)
{
    loadStartList();
    form->bSTART->click();
    EXPECT_FALSE(form->bCFG->isEnabled());
    bool shown = false;
    QTimer::singleShot(0, cfg, [&] {
        shown = cfg->isVisible();
        cfg->CancelBtn->click();
    });
    key(Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(form->Clock->isActive()); // the run goes on
}
