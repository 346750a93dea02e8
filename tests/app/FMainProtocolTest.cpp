#include "tests/app/FMainFixture.h"

#include <QMenu>
#include <QMessageBox>
#include <QStandardPaths>

namespace {

QColor fontColorOf(TFormMain &form, int col, int row)
{
    TFormatOptions format;
    format.FontColor = Qt::black;
    form.SortGrid1->OnGetCellFormat(form.SortGrid1, col, row, {}, format);
    return format.FontColor;
}

// Answers the next modal box (question or message) and returns its text through `text`.
void answerNextBox(QString *text, bool yes)
{
    QTimer::singleShot(0, [text, yes] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        if (auto *dialog = qobject_cast<TFDlgYesNo *>(box)) {
            *text = dialog->Label1->text();
            (yes ? dialog->OKBtn : dialog->CancelBtn)->click();
        } else if (auto *message = qobject_cast<QMessageBox *>(box)) {
            *text = message->text();
            message->accept();
        }
    });
}

} // namespace

TEST_F(FMainTest, SelectedRidersAreRedOnlyInTheRaceMode)
{
    loadStartList();
    const int row1 = Results::rowOfStartNumber(form->SortGrid1->Storage(), 1);
    const int row2 = Results::rowOfStartNumber(form->SortGrid1->Storage(), 2);
    const int row4 = Results::rowOfStartNumber(form->SortGrid1->Storage(), 4);
    EXPECT_EQ(fontColorOf(*form, 1, row1), toQColor(clRed));
    EXPECT_EQ(fontColorOf(*form, 3, row2), toQColor(clRed));
    EXPECT_EQ(fontColorOf(*form, 1, row4), QColor(Qt::black));
    EXPECT_EQ(fontColorOf(*form, 0, 0), QColor(Qt::black)); // captions keep the defaults

    // The red row follows the selector at once.
    form->cbBuhn2->setCurrentIndex(3);
    form->cbBuhnChange();
    EXPECT_EQ(fontColorOf(*form, 1, row4), toQColor(clRed));
    EXPECT_EQ(fontColorOf(*form, 1, row2), QColor(Qt::black));

    form->cbMode->setCurrentIndex(0);
    EXPECT_EQ(fontColorOf(*form, 1, row1), QColor(Qt::black));
}

TEST_F(FMainTest, StartListsWithGapsAndLargeNumbersKeepTimesWithTheirRiders)
{
    loadBytes("3;Anna;Blitz\r\n117;Bernd;Donner\r\n12;Carla;Wetter\r\n");
    ASSERT_EQ(form->cbBuhn1->count(), 3);
    EXPECT_EQ(form->cbBuhn1->itemText(0), u" 3 Anna Blitz "_qs);
    EXPECT_EQ(form->cbBuhn1->itemText(1), u"12 Carla Wetter "_qs);
    EXPECT_EQ(form->cbBuhn1->itemText(2), u"117 Bernd Donner "_qs);

    form->cbBuhn1->setCurrentIndex(2); // rider 117 on lane 1, rider 12 on lane 2
    form->cbBuhnChange();
    form->bSTART->click();
    ticks += 20010;
    key(Qt::Key_2);
    ticks += 1000;
    key(Qt::Key_1);
    EXPECT_EQ(cell(3, Results::rowOfStartNumber(form->SortGrid1->Storage(), 12)), u"20,01"_qs);
    EXPECT_EQ(cell(3, Results::rowOfStartNumber(form->SortGrid1->Storage(), 117)), u"21,01"_qs);
    EXPECT_EQ(cell(3, Results::rowOfStartNumber(form->SortGrid1->Storage(), 3)), QString());
    EXPECT_FALSE(form->Notice->isVisible());

    // Taking a rider from the grid goes by the number too.
    form->mResetClick(true);
    form->SortGrid1->setRow(Results::rowOfStartNumber(form->SortGrid1->Storage(), 117));
    EXPECT_EQ(form->SelectedRiderIndex(), 116);
    ASSERT_TRUE(form->sb2->isEnabled());
    form->sb2->click();
    EXPECT_EQ(form->cbBuhn2->currentData().toInt(), 117);
}

TEST_F(FMainTest, DoubleClickTakesTheRiderInThePaceTestButNotDuringARun)
{
    loadStartList();
    form->cbMode->setCurrentIndex(0);
    form->SortGrid1->setRow(Results::rowOfStartNumber(form->SortGrid1->Storage(), 3));
    form->SortGrid1DblClick();
    EXPECT_EQ(form->cbBuhn1->currentIndex(), 2);

    form->bSTART->click();
    form->SortGrid1->setRow(Results::rowOfStartNumber(form->SortGrid1->Storage(), 4));
    EXPECT_FALSE(form->sb1->isEnabled());
    form->SortGrid1DblClick();
    EXPECT_EQ(form->cbBuhn1->currentIndex(), 2); // the running rider keeps the lane
}

TEST_F(FMainTest, RowsAreRemovedAfterTheQuestionAndMarkedOut)
{
    loadStartList();
    form->SortGrid1->setRow(2);
    const QString removed = cell(0, 2);
    QString question;
    answerNextBox(&question, false);
    form->sbCLS->click();
    EXPECT_EQ(question, u"Zeile entfernen?"_qs);
    EXPECT_EQ(form->SortGrid1->RowCount(), 5);

    answerNextBox(&question, true);
    form->sbCLS->click();
    EXPECT_EQ(form->SortGrid1->RowCount(), 4);
    EXPECT_EQ(Results::rowOfStartNumber(form->SortGrid1->Storage(), removed.toInt()), -1);
    EXPECT_EQ(form->SortGrid1->Row(), 2);

    // "AUS" from the context menu: no place, below the timed rows.
    form->SortGrid1->setCells(3, 1, u"10,00"_qs);
    form->RankProtocol();
    form->SortGrid1->setRow(1);
    const QString out = cell(0, 1);
    form->AUS1->trigger();
    const int row = Results::rowOfStartNumber(form->SortGrid1->Storage(), out.toInt());
    EXPECT_EQ(cell(3, row), u"AUS"_qs);
    EXPECT_EQ(cell(4, row), QString());

    // Down to the last row: it is emptied and kept, and the protocol buttons go off.
    while (form->SortGrid1->RowCount() > 2) {
        form->SortGrid1->setRow(1);
        form->Zeileentfernen1->trigger();
    }
    answerNextBox(&question, true);
    form->SortGrid1->setRow(1);
    form->sbCLS->click();
    EXPECT_EQ(form->SortGrid1->RowCount(), 2);
    EXPECT_EQ(cell(0, 1), QString());
    EXPECT_FALSE(form->sbSave->isEnabled());
    EXPECT_FALSE(form->sbCLS->isEnabled());
}

TEST_F(FMainTest, SavingAsTextOrCsvFollowsTheChosenFileType)
{
    loadBytes("1;Anna;\"Blitz; Sohn\"\r\n2;Bernd \"B\";Donner\r\n");
    auto saveAs = [&](const QString &name, int filter) {
        form->execFileDialog = [&, name, filter](QFileDialog &dialog) {
            // The proposed name is the date and time, yyyy-mm-dd-hh-mm.
            EXPECT_TRUE(dialog.selectedFiles().value(0).section(u'/', -1).startsWith(
                QDate::currentDate().toString(u"yyyy-MM-dd-"_qs)));
            dialog.selectNameFilter(dialog.nameFilters().value(filter - 1));
            dialog.selectFile(dir.filePath(name));
            return int(QDialog::Accepted);
        };
        form->sbSaveClick();
        return readFile(dir.filePath(name));
    };
    EXPECT_EQ(saveAs(u"p.txt"_qs, 3), QByteArray("Nr.\tName\tPferd\tZeit\tPlatz\t\r\n"
                                                 "1\tAnna\tBlitz; Sohn\t \t \t\r\n"
                                                 "2\tBernd \"B\"\tDonner\t \t \t\r\n"));
    EXPECT_EQ(form->saveFilterIndex(), 3);
    const QByteArray csv = saveAs(u"p.csv"_qs, 1);
    EXPECT_EQ(csv, QByteArray("Nr.;Name;Pferd;Zeit;Platz\r\n"
                              "1;Anna;\"Blitz; Sohn\";;\r\n"
                              "2;\"Bernd \"\"B\"\"\";Donner;;\r\n"));
    EXPECT_EQ(form->saveFilterIndex(), 1);

    // The CSV file reads back cell for cell.
    const QList<QStringList> before = {form->SortGrid1->Rows(1), form->SortGrid1->Rows(2)};
    loadFile(dir.filePath(u"p.csv"_qs));
    EXPECT_EQ(form->SortGrid1->Rows(1), before[0]);
    EXPECT_EQ(form->SortGrid1->Rows(2), before[1]);
}

TEST_F(FMainTest, AFailedTextSaveSaysSo)
{
    loadStartList();
    QDir(dir.path()).mkdir(u"taken.txt"_qs); // a folder where the file should go
    form->execFileDialog = [&](QFileDialog &dialog) {
        dialog.selectNameFilter(dialog.nameFilters().value(2));
        dialog.selectFile(dir.filePath(u"taken.txt"_qs));
        return int(QDialog::Accepted);
    };
    QString message;
    answerNextBox(&message, true);
    form->sbSaveClick();
    EXPECT_TRUE(message.startsWith(u"Der Schreibfehler der Datei: "_qs)) << message.toStdString();
}

TEST_F(FMainTest, TheAutomaticSaveFindsAPlaceOrShowsANotice)
{
    loadStartList();
    // Beside the program is taken by a folder of that name: the save fails visibly.
    QDir(dir.path()).mkdir(u"ombrel.txt"_qs);
    form->bSTART->click();
    key(Qt::Key_1);
    key(Qt::Key_2);
    EXPECT_TRUE(form->Notice->isVisible());
    EXPECT_TRUE(form->Notice->text().contains(u"nicht automatisch gesichert"_qs));
    EXPECT_NE(QApplication::focusWidget(), form->Notice);
}

TEST_F(FMainTest, TheAutomaticSaveMovesToTheUserFolderWhenTheProgramFolderIsClosed)
{
    QFile blocker(dir.filePath(u"not-a-folder"_qs));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    setProgramFilePath(dir.filePath(u"not-a-folder/ombrel"_qs));
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/ombrel.txt");
    QFile::remove(expected);
    EXPECT_EQ(form->autoSavePath(), expected);

    loadStartList();
    form->bSTART->click();
    key(Qt::Key_1);
    key(Qt::Key_2);
    EXPECT_FALSE(form->Notice->isVisible());
    EXPECT_TRUE(readFile(expected).startsWith("Nr.\tName"));
    QFile::remove(expected);
}

TEST_F(FMainTest, TheLogoOpensTheMakersPage)
{
    QTest::mouseClick(form->Label5, Qt::LeftButton);
    QTest::mouseClick(form->Label1, Qt::LeftButton); // the shadow does not react
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].scheme(), u"https"_qs);
}
