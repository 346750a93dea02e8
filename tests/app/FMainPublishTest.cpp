#include "protocol/Excel.h"
#include "tests/app/FMainFixture.h"

#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QXmlStreamReader>

namespace {

struct SpreadsheetLog
{
    bool available = true;
    QStringList opened;
};

class FakeSpreadsheetApp : public SpreadsheetApp
{
public:
    explicit FakeSpreadsheetApp(SpreadsheetLog &log)
        : m_log(log)
    {}
    bool available() override { return m_log.available; }
    bool open(const QString &path) override
    {
        m_log.opened.append(path);
        return true;
    }

private:
    SpreadsheetLog &m_log;
};

// One worksheet's shared strings and cell values, by reference ("A1"), read with unzip.
QMap<QString, QString> sheetCells(const QString &xlsx)
{
    auto entry = [&](const char *name) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, QString::fromLatin1(name)});
        unzip.waitForFinished(10000);
        return unzip.readAllStandardOutput();
    };
    QStringList shared;
    QXmlStreamReader strings(entry("xl/sharedStrings.xml"));
    while (!strings.atEnd()) {
        strings.readNext();
        if (strings.isStartElement() && strings.name() == u"t")
            shared.append(strings.readElementText());
    }
    QMap<QString, QString> cells;
    QXmlStreamReader xml(entry("xl/worksheets/sheet1.xml"));
    QString ref;
    bool isShared = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"c") {
            ref = xml.attributes().value(QLatin1StringView("r")).toString();
            isShared = xml.attributes().value(QLatin1StringView("t")) == u"s";
        } else if (xml.isStartElement() && xml.name() == u"v") {
            const QString v = xml.readElementText();
            // "#": a number cell, in its shortest form
            cells[ref] = isShared ? shared.value(v.toInt()) : u"#"_qs + QString::number(v.toDouble());
        }
    }
    return cells;
}

class FMainPublishTest : public FMainTest
{
protected:
    void SetUp() override
    {
        FMainTest::SetUp();
        savedCurrent = QDir::currentPath();
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("arbeit")));
        QDir::setCurrent(dir.filePath(QStringLiteral("arbeit")));
        if (!form->Excel)
            form->Excel = new TExcel(form.get());
        form->Excel->setFolder(dir.filePath(QStringLiteral("Mappen")));
        form->Excel->setApplication(std::make_unique<FakeSpreadsheetApp>(spreadsheet));
    }

    void TearDown() override
    {
        QDir::setCurrent(savedCurrent);
        QFile::remove(dataFolderPage());
        FMainTest::TearDown();
    }

    static QString dataFolderPage()
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u"/ombrel.html"_qs;
    }

    // Answers the next message box with OK and keeps its text.
    void answerMessageBox()
    {
        QTimer::singleShot(0, form.get(), [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                messages.append(box->text());
                icons.append(box->icon());
                box->accept();
            } else {
                answerMessageBox();
            }
        });
    }

    void saveThroughDialog(const QString &path, const QString &filterPattern)
    {
        form->execFileDialog = [&](QFileDialog &dialog) {
            for (const QString &filter : dialog.nameFilters())
                if (filter.contains(filterPattern))
                    dialog.selectNameFilter(filter);
            dialog.selectFile(path);
            return int(QDialog::Accepted);
        };
        form->sbSaveClick();
    }

    QString savedCurrent;
    SpreadsheetLog spreadsheet;
    QStringList messages;
    QList<QMessageBox::Icon> icons;
};

} // namespace

TEST_F(FMainPublishTest, AsWebPageWritesThePageInTheCurrentFolderAndOpensIt)
{
    loadStartList();
    form->SortGrid1->setCells(Results::ColTime, 2, u"9,05"_qs);
    ASSERT_TRUE(form->sbHTML->isEnabled());
    form->sbHTML->click();

    const QString page = dir.filePath(u"arbeit/ombrel.html"_qs);
    EXPECT_EQ(opened, QList<QUrl>({QUrl::fromLocalFile(page)}));
    const QByteArray bytes = readFile(page);
    EXPECT_TRUE(bytes.startsWith("<HTML>\r\n<HEAD>\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n<TITLE>Ombrel</TITLE>\r\n"));
    EXPECT_TRUE(bytes.contains("<td Align=left>&nbsp;J\xfcrgen B\xe4\x63ker<td>S\xf3lfaxi&nbsp;"));
    EXPECT_TRUE(bytes.contains("<td Align=left>&nbsp;Anna Gr\xf6\xdf\x65r<td>\xdeokki&nbsp;<td>9.05&nbsp;"));
    EXPECT_EQ(bytes.count("<tr Align=Right>"), 4);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(FMainPublishTest, TheHelpPageBesideTheProgramIsNeverReplaced)
{
    const QString help = dir.filePath(u"ombrel.html"_qs);
    QFile file(help);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html>Hilfe</html>");
    file.close();
    QDir::setCurrent(dir.path());
    loadStartList();
    form->sbHTMLClick();

    EXPECT_EQ(readFile(help), QByteArray("<html>Hilfe</html>"));
    EXPECT_EQ(opened, QList<QUrl>({QUrl::fromLocalFile(dataFolderPage())}));
    EXPECT_TRUE(readFile(dataFolderPage()).contains("<H5>Zeitenprotokoll</H5>"));
}

TEST_F(FMainPublishTest, APageTheCurrentFolderCannotTakeGoesToTheDataFolder)
{
    loadStartList();
    ASSERT_TRUE(QDir(dir.filePath(u"arbeit"_qs)).removeRecursively()); // the current folder is gone
    form->sbHTMLClick();
    EXPECT_EQ(opened, QList<QUrl>({QUrl::fromLocalFile(dataFolderPage())}));
    EXPECT_TRUE(readFile(dataFolderPage()).contains("S\xf3lfaxi"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(FMainPublishTest, SavingAsWebPageWritesWithoutOpeningAndReportsFailures)
{
    loadStartList();
    const QString path = dir.filePath(u"protokoll.html"_qs);
    saveThroughDialog(path, u"*.html"_qs);
    EXPECT_TRUE(readFile(path).endsWith("</body></html>\r\n"));
    EXPECT_TRUE(opened.isEmpty());

    const QString broken = dir.filePath(u"fehlt/protokoll.html"_qs);
    answerMessageBox();
    saveThroughDialog(broken, u"*.html"_qs);
    EXPECT_EQ(messages, QStringList({u"Der Schreibfehler der Datei: "_qs + broken}));
    EXPECT_EQ(icons, QList<QMessageBox::Icon>({QMessageBox::Critical}));
    EXPECT_FALSE(QFile::exists(broken));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(FMainPublishTest, ExcelGetsHeaderEntriesAndTotalsInANewWorkbookEachTime)
{
    loadStartList();
    form->SortGrid1->setCells(Results::ColTime, 1, u"75,43"_qs);
    form->SortGrid1->setCells(Results::ColTime, 2, u"75,43"_qs);
    form->SortGrid1->setCells(Results::ColName, 3, u"Müller, Maria, jun."_qs);
    ASSERT_TRUE(form->sbExcel->isEnabled());
    form->sbExcel->click();

    ASSERT_EQ(spreadsheet.opened.size(), 1);
    EXPECT_TRUE(form->Excel->ExcelNew);
    EXPECT_TRUE(QFileInfo(spreadsheet.opened[0]).fileName().endsWith(u".xlsx"_qs));
    const QMap<QString, QString> cells = sheetCells(spreadsheet.opened[0]);
    EXPECT_EQ(cells.value(u"A1"_qs), u"Start-Nr."_qs);
    EXPECT_EQ(cells.value(u"E1"_qs), u"Platz"_qs);
    EXPECT_EQ(cells.value(u"A2"_qs), u"#1"_qs);
    EXPECT_EQ(cells.value(u"B2"_qs), u"Jürgen Bäcker"_qs);
    EXPECT_EQ(cells.value(u"D2"_qs), u"#75.43"_qs);
    EXPECT_EQ(cells.value(u"B4"_qs), u"Müller. Maria, jun."_qs);
    EXPECT_EQ(cells.value(u"C5"_qs), u"Gáski"_qs);
    // Four entries, four horses, two time texts ("75,43" and the blank of a heat not run).
    EXPECT_EQ(cells.value(u"A6"_qs), u"Gesamt:"_qs);
    EXPECT_EQ(cells.value(u"B6"_qs), u"#4"_qs);
    EXPECT_EQ(cells.value(u"C6"_qs), u"#4"_qs);
    EXPECT_EQ(cells.value(u"D6"_qs), u"#2"_qs);
    EXPECT_FALSE(cells.contains(u"A7"_qs));

    form->sbExcelClick();
    ASSERT_EQ(spreadsheet.opened.size(), 2);
    EXPECT_NE(spreadsheet.opened[0], spreadsheet.opened[1]);
    EXPECT_EQ(sheetCells(spreadsheet.opened[1]), cells);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(FMainPublishTest, ExcelWithoutASpreadsheetProgramStillWritesTheWorkbookAndSaysWhere)
{
    loadStartList();
    spreadsheet.available = false;
    auto *button = form->findChild<QToolButton *>(u"sbExcel"_qs);
    auto *notice = form->findChild<QLabel *>(u"Notice"_qs);
    ASSERT_TRUE(button && notice);
    button->click();
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
    const QDir folder(dir.filePath(u"Mappen"_qs));
    const QStringList files = folder.entryList({u"*.xlsx"_qs}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(sheetCells(folder.filePath(files[0])).value(u"A1"_qs), u"Start-Nr."_qs);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains(QDir::toNativeSeparators(folder.filePath(files[0]))))
        << notice->text().toStdString();
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(FMainPublishTest, AFailedWorkbookIsReportedAndNotHandedOver)
{
    loadStartList();
    QFile blocker(dir.filePath(u"Datei"_qs));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    form->Excel->setFolder(blocker.fileName() + u"/Mappen"_qs);
    answerMessageBox();
    form->sbExcelClick();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(u"Die Arbeitsmappe konnte nicht geschrieben werden: "_qs));
    EXPECT_EQ(icons, QList<QMessageBox::Icon>({QMessageBox::Critical}));
    EXPECT_TRUE(spreadsheet.opened.isEmpty());
}

TEST_F(FMainPublishTest, CaptionsStayWholeBesideTheScrollBarInAnyFont)
{
    QByteArray list;
    for (int i = 1; i <= 40; ++i)
        list += QByteArray::number(i) + ";Reiter;Pferd\r\n";
    loadBytes(list);
    auto *grid = form->findChild<TSortGrid *>(u"SortGrid1"_qs);
    ASSERT_TRUE(grid);
    for (int pixels : {16, 20, 24}) {
        QFont font = grid->font();
        font.setPixelSize(pixels);
        grid->setFont(font);
        form->resize(form->width() + 1, form->height()); // the columns are laid out at every resize
        QApplication::processEvents();
        ASSERT_TRUE(grid->verticalScrollBar()->isVisible()) << pixels;
        int total = 0;
        for (int col = 0; col < 5; ++col) {
            EXPECT_EQ(grid->DisplayCaption(col), cell(col, 0)) << pixels;
            total += grid->ColWidths(col) + 1;
        }
        EXPECT_LE(total, grid->viewport()->width()) << pixels;
    }
}
