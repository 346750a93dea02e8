// The results protocol on the main window: lane times into riders' rows, ranking, the rider
// selectors, row removal, and the protocol files.
#include "app/FMain.h"

#include "controls/ButtonWithColor.h"
#include "controls/SortGrid.h"
#include "platform/AnsiCodec.h"
#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/Brand.h"
#include "platform/Graphics.h"
#include "protocol/ProtocolFiles.h"
#include "protocol/ResultsTable.h"
#include "protocol/Runs.h"
#include "settings/DlgEintragen.h"
#include "settings/DlgYesNo.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>

using namespace Results;

namespace {

// Far beyond any start list; a larger file was picked by mistake.
constexpr qint64 MaxStartListBytes = qint64(32) << 20;

} // namespace

void TFormMain::buildGrid()
{
    SortGrid1 = new TSortGrid(this);
    SortGrid1->setObjectName(QStringLiteral("SortGrid1"));
    QFont courier(QStringLiteral("Courier New"));
    courier.setPixelSize(16);
    SortGrid1->setFont(courier);
    SortGrid1->setDefaultRowHeight(20);
    SortGrid1->setColCount(ColumnCount);
    SortGrid1->setRowCount(2);
    SortGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SortGrid1->setTag(-1);
    TSortOptions &options = SortGrid1->SortOptions();
    options.CanSort = true;
    options.SortCol = ColTime;
    options.SortDirection = sdAscending;
    options.SortCaseSensitive = false;
    options.SortStyle = ssAutomatic;
    SortGrid1->setAlignmentHorz(Qt::AlignLeft);
    SortGrid1->setAlignmentVert(taMiddle);
    installSortStyles(*SortGrid1);
    SortGrid1->OnGetCellFormat = [this](TSortGrid *, int col, int row, TGridDrawState,
                                        TFormatOptions &format) { SortGrid1GetCellFormat(col, row, format); };
    connect(SortGrid1, &TSortGrid::OnRowSelected, this, &TFormMain::SortGrid1RowSelected);
    connect(SortGrid1, &TSortGrid::OnDblClick, this, &TFormMain::SortGrid1DblClick);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Zeileentfernen1 = PopupMenu1->addAction(QStringLiteral("Zeile entfernen"));
    Zeileentfernen1->setObjectName(QStringLiteral("Zeileentfernen1"));
    AUS1 = PopupMenu1->addAction(QStringLiteral("AUS"));
    AUS1->setObjectName(QStringLiteral("AUS1"));
    connect(Zeileentfernen1, &QAction::triggered, this, &TFormMain::Zeileentfernen1Click);
    LetztenLaufungueltig1 = PopupMenu1->addAction(QStringLiteral("Letzten Lauf ungültig"));
    LetztenLaufungueltig1->setObjectName(QStringLiteral("LetztenLaufungueltig1"));
    connect(AUS1, &QAction::triggered, this, &TFormMain::AUS1Click);
    connect(LetztenLaufungueltig1, &QAction::triggered, this, &TFormMain::LetztenLaufungueltig1Click);
    SortGrid1->setPopupMenu(PopupMenu1);
    SortGrid1->viewport()->installEventFilter(this); // "Name" takes the width the others leave
}

void TFormMain::SortGrid1GetCellFormat(int col, int row, TFormatOptions &format)
{
    if (row < 1)
        return;
    format.AlignmentHorz = (col == ColNr || col == ColTime || col == ColPlace || col >= FirstRunColumn)
                               ? Qt::AlignRight
                               : Qt::AlignLeft;
    if (cbMode->currentIndex() != 1)
        return;
    const int number = startNumber(SortGrid1->Cells(ColNr, row));
    if (number >= 0 && (number == selectedNumber(cbBuhn1) || number == selectedNumber(cbBuhn2)))
        format.FontColor = toQColor(clRed);
}

int TFormMain::selectedNumber(const QComboBox *selector) const
{
    if (selector->currentIndex() < 0)
        return -1;
    bool ok = false;
    const int number = selector->currentData().toInt(&ok);
    return ok ? number : -1;
}

void TFormMain::selectNumber(QComboBox *selector, int number)
{
    const int index = number < 0 ? -1 : selector->findData(number);
    if (index >= 0)
        selector->setCurrentIndex(index);
}

Scoring TFormMain::scoring() const
{
    return scoringOf(m_settings.Wertung);
}

bool TFormMain::EnterLaneTime(int lane, const QString &timeText)
{
    const bool entered = recordRun(lane, selectedNumber(lane == 1 ? cbBuhn1 : cbBuhn2), timeText, {});
    UpdateProtocolControls();
    return entered;
}

bool TFormMain::recordRun(int lane, int number, const QString &timeText, const QString &remark)
{
    const int columns = SortGrid1->ColCount();
    const RunEntry entry = EnterRun(*SortGrid1, number, timeText, scoring());
    if (SortGrid1->ColCount() != columns)
        FormResize(); // a new run column
    // The log takes every time, also one the protocol refused, so that none is lost.
    appendRunLog(lane, number, timeText, remark);
    const QString numberText = number < 0 ? QStringLiteral("?") : QString::number(number);
    const QString log = QDir::toNativeSeparators(runLogPath());
    if (entry == RunEntry::NoRow) {
        const QString time = lane > 0 ? QStringLiteral("Die Zeit %1 von Bahn %2").arg(timeText).arg(lane)
                                      : QStringLiteral("Die Zeit %1").arg(timeText);
        showNotice(QStringLiteral("%1 fand keine Zeile im Protokoll (Startnummer %2). Sie steht im "
                                  "Laufprotokoll %3.")
                       .arg(time, numberText, log));
    } else if (entry == RunEntry::TooManyRuns) {
        showNotice(QStringLiteral("Startnummer %1 hat schon %2 Läufe; die Zeit %3 zählt nicht. Sie steht "
                                  "im Laufprotokoll %4.")
                       .arg(numberText)
                       .arg(MaxRuns)
                       .arg(timeText, log));
    }
    return entry == RunEntry::Entered;
}

void TFormMain::appendRunLog(int lane, int number, const QString &timeText, const QString &remark)
{
    QString rider;
    QString horse;
    const int row = rowOfStartNumber(SortGrid1->Storage(), number);
    if (row >= 0) {
        rider = SortGrid1->Cells(ColName, row);
        horse = SortGrid1->Cells(ColHorse, row);
    } else if (lane > 0) {
        rider = (lane == 1 ? cbBuhn1 : cbBuhn2)->currentText().trimmed();
    }
    QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + u'\t' +
                   (lane > 0 ? QString::number(lane) : QString()) + u'\t' +
                   (number < 0 ? QString() : QString::number(number)) + u'\t' + rider + u'\t' + horse +
                   u'\t' + timeText;
    if (!remark.isEmpty())
        line += u'\t' + remark;
    line += QStringLiteral("\r\n");
    QByteArray bytes = toAnsi(line);
    QFile log(runLogPath());
    bool written = log.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered);
    if (written && log.size() > 0) {
        // A record cut short (the program killed while writing) must not run into this one.
        written = log.seek(std::max<qint64>(0, log.size() - 2));
        const QByteArray tail = log.read(2);
        if (tail.endsWith('\r'))
            bytes.prepend('\n');
        else if (!tail.endsWith("\r\n"))
            bytes.prepend("\r\n");
    }
    // Unbuffered, the whole record goes out in one write: a crash can cut it, but never interleave it.
    if (!written || log.write(bytes) != bytes.size())
        showNotice(QStringLiteral("Das Laufprotokoll %1 kann nicht geschrieben werden: %2")
                       .arg(QDir::toNativeSeparators(log.fileName()), log.errorString()));
}

QString TFormMain::autoSavePath() const
{
    return writablePath(programSiblingPath(QStringLiteral(".txt")));
}

QString TFormMain::runLogPath() const
{
    return writablePath(programSiblingPath(QStringLiteral("-Laeufe.log")));
}

void TFormMain::RankProtocol()
{
    Results::RankProtocol(*SortGrid1, scoring());
}

void TFormMain::UpdateProtocolControls()
{
    // A run holds START from its start until RESET: while Clock runs and while RESET waits at its end.
    const bool runOpen = Clock->isActive() || bRESET->isEnabled();
    const bool startOk = startAvailable(cbBuhn1->count(), cbBuhn2->count(), cbBuhn1->currentIndex(),
                                        cbBuhn2->currentIndex(), runOpen);
    bSTART->setEnabled(startOk);
    bSTART->setColor(startOk ? clGreen : clBtnFace);
    mStart->setEnabled(startOk);
    const bool entries = hasEntries(SortGrid1->Storage());
    for (QToolButton *button : {sbSave, sbExcel, sbHTML, sbPrint, sbGramoty})
        button->setEnabled(entries);
    sbCLS->setEnabled(startOk && entries);
    BitBtnWithColor1->setEnabled(entries && !runOpen);
}

void TFormMain::AdvanceRiders()
{
    const RiderPair next = Results::AdvanceRiders({cbBuhn1->currentIndex(), cbBuhn2->currentIndex()},
                                                  cbBuhn1->count(), cbBuhn2->count());
    cbBuhn1->setCurrentIndex(next.lane1 < cbBuhn1->count() ? next.lane1 : -1);
    cbBuhn2->setCurrentIndex(next.lane2 < cbBuhn2->count() ? next.lane2 : -1);
}

void TFormMain::cbBuhnChange()
{
    UpdateProtocolControls();
    SortGrid1->viewport()->update();
}

int TFormMain::SelectedRiderIndex() const
{
    return SortGrid1->Tag();
}

void TFormMain::SortGrid1RowSelected()
{
    const int row = SortGrid1->Row();
    const int number =
        row >= 1 && row < SortGrid1->RowCount() ? startNumber(SortGrid1->Cells(ColNr, row)) : -1;
    SortGrid1->setTag(number < 0 ? -1 : number - 1);
    // A lane can take the rider only when its selector lists that start number.
    sb1->setEnabled(bCFG->isEnabled() && number >= 0 && cbBuhn1->findData(number) >= 0);
    sb2->setEnabled(bCFG->isEnabled() && number >= 0 && cbBuhn2->findData(number) >= 0);
}

void TFormMain::sb1Click(int lane)
{
    const int index = SelectedRiderIndex();
    if (index < 0)
        return;
    selectNumber(lane == 1 ? cbBuhn1 : cbBuhn2, index + 1);
    cbBuhnChange();
}

void TFormMain::SortGrid1DblClick()
{
    // During a run the double click would hand the coming time to another rider: not then.
    if (cbMode->currentIndex() == 0 && bCFG->isEnabled())
        sb1Click(1);
}

void TFormMain::sbCLSClick()
{
    if (!FDlgYesNo || !FDlgYesNo->ask(QStringLiteral("Zeile entfernen?")))
        return;
    const int row = SortGrid1->Row();
    if (row < 1)
        return;
    for (int c = 0; c < SortGrid1->ColCount(); ++c)
        SortGrid1->setCells(c, row, QString());
    SortGrid1->DeleteRow(row);
    RankProtocol();
    SortGrid1->setRow(std::min(row, SortGrid1->RowCount() - 1));
    UpdateProtocolControls();
}

void TFormMain::Zeileentfernen1Click()
{
    const int row = SortGrid1->Row();
    if (row < 1)
        return;
    SortGrid1->DeleteRow(row);
    RankProtocol();
}

void TFormMain::AUS1Click()
{
    const int row = SortGrid1->Row();
    if (row < 1)
        return;
    SortGrid1->setCells(ColTime, row, QStringLiteral("AUS"));
    SortGrid1->setCells(ColPlace, row, QString());
    RankProtocol();
}

void TFormMain::LetztenLaufungueltig1Click()
{
    const int row = SortGrid1->Row();
    if (row < 1)
        return;
    const int number = startNumber(SortGrid1->Cells(ColNr, row));
    if (!InvalidateLastRun(*SortGrid1, row, scoring())) {
        showNotice(QStringLiteral("%1 hat keinen gültigen Lauf, der ungültig werden könnte.")
                       .arg(SortGrid1->Cells(ColName, row).trimmed()));
        return;
    }
    appendRunLog(0, number, invalidRunText(), QStringLiteral("letzter Lauf ungültig"));
    RankProtocol();
    SaveTextProtocol(autoSavePath());
}

void TFormMain::BitBtnWithColor1Click()
{
    if (!BitBtnWithColor1->isEnabled())
        return;
    TDlgEintragen dialog(this);
    QList<TDlgEintragen::Rider> riders;
    for (const RiderItem &item : riderItems(SortGrid1->Storage())) {
        if (item.number >= 0)
            riders.append({item.number, item.text});
    }
    const int row = SortGrid1->Row();
    dialog.setRiders(riders, row >= 1 ? startNumber(SortGrid1->Cells(ColNr, row)) : -1);
    const int result = execEntryDialog ? execEntryDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return;
    const QString remark =
        dialog.Invalid() ? QStringLiteral("von Hand, ungültig") : QStringLiteral("von Hand");
    recordRun(0, dialog.Number(), dialog.TimeText(), remark);
    RankProtocol();
    SaveTextProtocol(autoSavePath());
    UpdateProtocolControls();
}

void TFormMain::fillSelectors()
{
    const QList<RiderItem> items = riderItems(SortGrid1->Storage());
    for (QComboBox *selector : {cbBuhn1, cbBuhn2}) {
        selector->clear();
        for (const RiderItem &item : items)
            selector->addItem(item.text, item.number < 0 ? QVariant() : QVariant(item.number));
    }
    cbBuhn1->setEnabled(cbBuhn1->count() >= 1);
    cbBuhn1->setCurrentIndex(cbBuhn1->count() >= 1 ? 0 : -1);
    cbBuhn2->setEnabled(cbBuhn2->count() >= 2);
    cbBuhn2->setCurrentIndex(cbBuhn2->count() >= 2 ? 1 : -1);
}

// ---- files ----

QString TFormMain::DefaultProtocolName()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-hh-mm"));
}

QString TFormMain::saveFilter() const
{
    return m_fileTypeCsv + QStringLiteral(" (*.csv);;") + m_fileTypeHtml + QStringLiteral(" (*.html);;") +
           m_fileTypeText + QStringLiteral(" (*.txt)");
}

QString TFormMain::openFilter() const
{
    return m_fileTypeText + QStringLiteral(" (*.txt);;") + m_fileTypeCsv + QStringLiteral(" (*.csv);;") +
           QStringLiteral("Alle Dateien (*)");
}

bool TFormMain::SaveTextProtocol(const QString &path)
{
    QString text;
    for (int r = 0; r < SortGrid1->RowCount(); ++r) {
        if (SortGrid1->Cells(ColNr, r).isEmpty())
            continue;
        text += ProtocolFormat::textLine(SortGrid1->Rows(r).mid(0, SortGrid1->ColCount()));
    }
    QString error;
    if (writeFileAtomically(path, toAnsi(text), &error))
        return true;
    if (path == autoSavePath())
        showNotice(QStringLiteral("Das Protokoll konnte nicht automatisch gesichert werden (%1): %2")
                       .arg(QDir::toNativeSeparators(path), error));
    return false;
}

void TFormMain::sbSaveClick()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = saveFilter().split(QStringLiteral(";;"));
    dialog.setNameFilters(filters);
    const int index = std::clamp(m_saveFilterIndex, 1, int(filters.size()));
    dialog.selectNameFilter(filters[index - 1]);
    static const QStringList suffixes = {QStringLiteral("csv"), QStringLiteral("html"),
                                         QStringLiteral("txt")};
    dialog.setDefaultSuffix(suffixes[index - 1]);
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&](const QString &filter) { dialog.setDefaultSuffix(suffixes.value(filters.indexOf(filter))); });
    dialog.setDirectory(m_lastFolder);
    dialog.selectFile(DefaultProtocolName());
    const int result = execFileDialog ? execFileDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_saveFilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    const QString path = dialog.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(path).absolutePath();
    if (m_saveFilterIndex == 1) {
        SortGrid1->SaveToFile(path);
    } else if (m_saveFilterIndex == 2) {
        WriteHtmlProtocol(path);
    } else if (!SaveTextProtocol(path)) {
        QMessageBox::critical(this, applicationTitle(),
                              QStringLiteral("Der Schreibfehler der Datei: ") + path);
    }
}

void TFormMain::sbLoadClick()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(openFilter().split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setDirectory(m_lastFolder);
    const int result = execFileDialog ? execFileDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(path).absolutePath();
    if (!LoadProtocol(path))
        return;
    RankProtocol();
    FormResize();
}

bool TFormMain::LoadProtocol(const QString &path)
{
    // A list that cannot be read must not replace the protocol: the next automatic save would
    // write the empty grid over the last good one.
    QString reason;
    QList<QStringList> rows;
    QStringList header;
    ProtocolFormat::ParseReport report;
    const QFileInfo info(path);
    if (info.isDir()) {
        reason = QStringLiteral("Das ist ein Ordner, keine Datei.");
    } else if (!info.exists()) {
        reason = QStringLiteral("Die Datei gibt es nicht.");
    } else if (info.size() > MaxStartListBytes) {
        // Read whole, a file of gigabytes would hold the window and the memory for nothing.
        reason = QStringLiteral("Sie ist mit %1 MB zu groß für eine Startliste.").arg(info.size() >> 20);
    } else {
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            reason = file.errorString();
        else if (bytes.isEmpty())
            reason = QStringLiteral("Die Datei ist leer.");
        else if ((rows = readProtocolRows(fromAnsi(bytes), header, report)).isEmpty())
            reason = QStringLiteral("Sie enthält keinen Eintrag.");
    }
    if (!reason.isEmpty()) {
        QMessageBox::critical(this, applicationTitle(),
                              QStringLiteral("Die Startliste %1 kann nicht geladen werden.\n%2")
                                  .arg(QDir::toNativeSeparators(path), reason));
        return false;
    }

    SortGrid1->setColCount(int(header.size()));
    SortGrid1->setRows(0, header);
    if (SortGrid1->SortOptions().SortCol >= SortGrid1->ColCount())
        SortGrid1->SortOptions().SortCol = ColTime;
    SortGrid1->setRowCount(int(rows.size()) + 1);
    for (qsizetype i = 0; i < rows.size(); ++i)
        SortGrid1->setRows(int(i) + 1, rows[i]);
    fillSelectors();
    m_protocolName = info.completeBaseName();
    m_protocolFolder = info.absolutePath();
    setWindowTitle(applicationTitle() + QStringLiteral(": ") + ProtocolName());
    UpdateProtocolControls();

    QStringList leftOut;
    if (report.cutCells > 0)
        leftOut.append(QStringLiteral("%1 Zellen auf %2 Zeichen gekürzt")
                           .arg(report.cutCells)
                           .arg(ProtocolFormat::MaxCellLength));
    if (report.cutShort)
        leftOut.append(QStringLiteral("nach %1 Zeilen abgebrochen, der Rest übergangen").arg(rows.size()));
    if (report.ignoredEmptyLines > 0)
        leftOut.append(QStringLiteral("%1 leere Zeilen am Ende übergangen").arg(report.ignoredEmptyLines));
    if (!leftOut.isEmpty())
        showNotice(QStringLiteral("Startliste %1: %2.")
                       .arg(QDir::toNativeSeparators(path), leftOut.join(QStringLiteral(", "))));
    return true;
}
