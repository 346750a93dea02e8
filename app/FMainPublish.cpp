// Publishing the protocol: the web page and the spreadsheet hand-over.
#include "app/FMain.h"

#include "controls/MessageBox.h"
#include "controls/SortGrid.h"
#include "platform/AppPaths.h"
#include "platform/Brand.h"
#include "platform/Shell.h"
#include "protocol/Excel.h"
#include "protocol/HtmlProtocol.h"
#include "protocol/ResultsTable.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace {

// Where the page of "Als Webseite" goes when the current folder cannot take it.
QString fallbackPagePath(const QString &fileName)
{
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataDir);
    return dataDir + u'/' + fileName;
}

} // namespace

bool TFormMain::WriteHtmlProtocol(const QString &path)
{
    if (HtmlProtocol::write(path, shownTable(), applicationTitle()))
        return true;
    MessageBox::critical(this, applicationTitle(), QStringLiteral("Der Schreibfehler der Datei: ") + path);
    return false;
}

void TFormMain::sbHTMLClick()
{
    // The program's name with ".html", in the current folder. The shipped help page has that very
    // name beside the program or in the installed data folder, so it is never the target: the page
    // then goes to the per-user data folder.
    const QString fileName = QFileInfo(programFilePath()).completeBaseName() + QStringLiteral(".html");
    const QString current = QDir::currentPath(); // empty when the current folder was removed
    const QString wanted = current.isEmpty() ? QString() : QDir(current).absoluteFilePath(fileName);
    const bool isHelpPage =
        wanted == QFileInfo(programSiblingPath(QStringLiteral(".html"))).absoluteFilePath() ||
        wanted == m_helpFile;
    QString path = wanted.isEmpty() || isHelpPage ? fallbackPagePath(fileName) : writablePath(wanted);
    if (!HtmlProtocol::write(path, shownTable(), applicationTitle())) {
        const QString fallback = fallbackPagePath(fileName);
        if (path == fallback || !HtmlProtocol::write(fallback, shownTable(), applicationTitle())) {
            MessageBox::critical(this, applicationTitle(),
                                 QStringLiteral("Der Schreibfehler der Datei: ") + path);
            return;
        }
        path = fallback;
    }
    shellOpen(QUrl::fromLocalFile(path)); // a page the desktop cannot open is not reported
}

void TFormMain::setSpreadsheetApp(std::unique_ptr<SpreadsheetApp> app)
{
    if (!Excel)
        Excel = new TExcel(this);
    Excel->setApplication(std::move(app));
}

void TFormMain::sbExcelClick()
{
    if (!Excel)
        Excel = new TExcel(this);
    Excel->ExcelNew = true;
    // Without a program for workbooks the file is still written: the operator can take it along.
    const bool canOpen = Excel->Connect();
    Excel->setWorkbookName(DefaultProtocolName());
    Excel->NewWorkbook();
    const ProtocolFormat::Table table = shownTable();
    for (qsizetype r = 0; r < table.size(); ++r) {
        Excel->LineValues.clear();
        for (const QString &cell : table[r])
            Excel->LineValues.append(HtmlProtocol::firstCommaToPoint(cell));
        if (r == 0 && !Excel->LineValues.isEmpty())
            Excel->LineValues[0].prepend(QStringLiteral("Start-"));
        Excel->WriteLine();
    }
    const Results::Totals totals = Results::CountTotals(table);
    Excel->LineValues = {QStringLiteral("Gesamt:"), QString::number(totals.EntryCount),
                         QString::number(totals.DistinctHorses), QString::number(totals.DistinctTimes)};
    Excel->WriteLine();
    Excel->AutoFitColumns();
    const bool done = canOpen ? Excel->showWorkbook() : Excel->saveWorkbook();
    if (Excel->Failed()) {
        MessageBox::critical(this, applicationTitle(),
                             QStringLiteral("Die Arbeitsmappe konnte nicht geschrieben werden: ") +
                                 Excel->errorString());
    } else if (!canOpen) {
        showNotice(QStringLiteral("Die Arbeitsmappe wurde als %1 gespeichert; kein Programm auf diesem "
                                  "Rechner öffnet Excel-Arbeitsmappen.")
                       .arg(QDir::toNativeSeparators(Excel->workbookPath())));
    } else if (!done) {
        showNotice(
            QStringLiteral("Die Arbeitsmappe %1 wurde gespeichert, aber kein Programm hat sie geöffnet.")
                .arg(QDir::toNativeSeparators(Excel->workbookPath())));
    }
}
