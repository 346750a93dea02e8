// The results protocol on the main window: lane times into riders' runs, the grid that shows the
// results, the rider selectors, corrections, row removal, and the protocol files.
#include "app/FMain.h"

#include "controls/ButtonWithColor.h"
#include "controls/MessageBox.h"
#include "controls/SortGrid.h"
#include "platform/AnsiCodec.h"
#include "platform/AppPaths.h"
#include "platform/AtomicFile.h"
#include "platform/Brand.h"
#include "platform/Graphics.h"
#include "protocol/ProtocolFiles.h"
#include "protocol/ProtocolStore.h"
#include "protocol/RaceState.h"
#include "protocol/ResultsTable.h"
#include "protocol/RunLog.h"
#include "settings/DlgYesNo.h"
#include "settings/EntryDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

using namespace Results;

void TFormMain::buildGrid()
{
    m_results = new ResultsModel(this);
    m_results->setObjectName(QStringLiteral("Results"));
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
    // The model orders the rows: a header click keeps the grid's own arrow and direction, and the
    // grid then shows the model in that order (by places for "Zeit", ties as the places break them).
    SortGrid1->OnGetSortStyle = [](TSortGrid *sender, int, TSortStyle &style) {
        sender->SortOptions().SortCompare = [](const QString &, const QString &) { return 0; };
        style = ssCustom;
    };
    connect(SortGrid1, &TSortGrid::OnEndUpdate, this, [this] {
        if (!m_showing)
            RankProtocol();
    });
    SortGrid1->OnGetCellFormat = [this](TSortGrid *, int col, int row, GridDrawState,
                                        TFormatOptions &format) { SortGrid1GetCellFormat(col, row, format); };
    connect(SortGrid1, &TSortGrid::OnRowSelected, this, &TFormMain::SortGrid1RowSelected);
    connect(SortGrid1, &TSortGrid::OnDblClick, this, &TFormMain::SortGrid1DblClick);
    connect(m_results, &ResultsModel::changed, this, &TFormMain::RankProtocol);

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
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TFormMain::fillRunItems);
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

bool TFormMain::EnterLaneTime(int lane, const QString &timeText)
{
    const Run run{parseTime(timeText).value_or(0), Run::Valid};
    const bool entered = recordRun(lane, selectedNumber(lane == 1 ? cbBuhn1 : cbBuhn2), run, {});
    UpdateProtocolControls();
    return entered;
}

bool TFormMain::recordRun(int lane, int number, const Run &run, const QString &remark)
{
    // The log takes every time, also one the protocol refuses, so that none is lost.
    appendRunLog(lane, number, run.text(), remark);
    const ResultsModel::Change change = m_results->addRun(number, run);
    const QString numberText = number < 0 ? QStringLiteral("?") : QString::number(number);
    const QString log = QDir::toNativeSeparators(runLogPath());
    if (change == ResultsModel::Change::NoEntry) {
        const QString time = lane > 0 ? QStringLiteral("Die Zeit %1 von Bahn %2").arg(run.text()).arg(lane)
                                      : QStringLiteral("Die Zeit %1").arg(run.text());
        showNotice(QStringLiteral("%1 fand keine Zeile im Protokoll (Startnummer %2). Sie steht im "
                                  "Laufprotokoll %3.")
                       .arg(time, numberText, log));
    } else if (change == ResultsModel::Change::TooManyRuns) {
        showNotice(QStringLiteral("Startnummer %1 hat schon %2 Läufe; die Zeit %3 zählt nicht. Sie steht "
                                  "im Laufprotokoll %4.")
                       .arg(numberText)
                       .arg(MaxRuns)
                       .arg(run.text(), log));
    } else {
        autoSave();
    }
    return change == ResultsModel::Change::Done;
}

void TFormMain::appendRunLog(int lane, int number, const QString &timeText, const QString &remark)
{
    RunLog::Record record{QDateTime::currentDateTime(), lane, number, {}, {}, timeText, remark};
    if (const int index = m_results->indexOfNumber(number); index >= 0) {
        record.rider = m_results->entry(index).rider;
        record.horse = m_results->entry(index).horse;
    } else if (lane > 0) {
        record.rider = (lane == 1 ? cbBuhn1 : cbBuhn2)->currentText().trimmed();
    }
    QString error;
    if (!RunLog(runLogPath()).append(record, &error))
        showNotice(QStringLiteral("Das Laufprotokoll %1 kann nicht geschrieben werden: %2")
                       .arg(QDir::toNativeSeparators(runLogPath()), error));
}

QString TFormMain::autoSavePath() const
{
    return writablePath(programSiblingPath(QStringLiteral(".txt")));
}

QString TFormMain::runLogPath() const
{
    return writablePath(programSiblingPath(QStringLiteral("-Laeufe.log")));
}

void TFormMain::autoSave()
{
    if (m_results->count() > 0)
        SaveTextProtocol(autoSavePath());
}

ProtocolFormat::Table TFormMain::shownTable() const
{
    return m_results->table(m_shownOrder);
}

int TFormMain::entryOfRow(int row) const
{
    return row >= 1 && row <= int(m_shownOrder.size()) ? m_shownOrder[size_t(row - 1)] : -1;
}

void TFormMain::RankProtocol()
{
    // The model ranks at every change; the grid shows it in the operator's order, the chosen rider
    // staying chosen where the order takes it.
    const int chosen = entryOfRow(SortGrid1->Row());
    const TSortOptions &options = SortGrid1->SortOptions();
    m_shownOrder = m_results->viewOrder(options.SortCol, options.SortDirection == sdDescending);
    ProtocolFormat::Table table = shownTable();
    if (table.size() < 2)
        table.append(QStringList(table.constFirst().size(), QString())); // the grid keeps one row
    const bool widthsChange = table.constFirst().size() != SortGrid1->ColCount();
    m_showing = true;
    SortGrid1->setTable(table);
    if (chosen >= 0) {
        const auto at = std::find(m_shownOrder.begin(), m_shownOrder.end(), chosen);
        if (at != m_shownOrder.end() && int(at - m_shownOrder.begin()) + 1 != SortGrid1->Row())
            SortGrid1->setRow(int(at - m_shownOrder.begin()) + 1);
    }
    m_showing = false;
    if (widthsChange)
        FormResize(); // run columns came or went
    SortGrid1->viewport()->update();
}

bool TFormMain::startAvailableNow() const
{
    return startAvailable(cbBuhn1->count(), cbBuhn2->count(), cbBuhn1->currentIndex(),
                          cbBuhn2->currentIndex(), m_race->runOpen());
}

void TFormMain::UpdateProtocolControls()
{
    // A run holds START from its start until RESET.
    const bool startOk = startAvailableNow();
    bSTART->setEnabled(startOk);
    bSTART->setColor(startOk ? clGreen : clBtnFace);
    mStart->setEnabled(startOk);
    const bool entries = m_results->count() > 0;
    for (QToolButton *button : {sbSave, sbExcel, sbHTML, sbPrint, sbGramoty})
        button->setEnabled(entries);
    sbCLS->setEnabled(startOk && entries);
    BitBtnWithColor1->setEnabled(entries && !m_race->runOpen());
    if (!m_race->runOpen()) {
        m_race->setLaneNumber(0, selectedNumber(cbBuhn1));
        m_race->setLaneNumber(1, m_race->twoLanes() ? selectedNumber(cbBuhn2) : -1);
    }
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
    if (!m_showing)
        m_pickedNumber = number;
    // A lane can take the rider only when its selector lists that start number.
    const bool idle = !m_race->runOpen();
    sb1->setEnabled(idle && number >= 0 && cbBuhn1->findData(number) >= 0);
    sb2->setEnabled(idle && number >= 0 && cbBuhn2->findData(number) >= 0);
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
    if (cbMode->currentIndex() == 0 && !m_race->runOpen())
        sb1Click(1);
}

void TFormMain::sbCLSClick()
{
    if (!FDlgYesNo || !FDlgYesNo->ask(QStringLiteral("Zeile entfernen?")))
        return;
    const int row = SortGrid1->Row();
    if (!m_results->removeEntry(entryOfRow(row)))
        return;
    autoSave();
    SortGrid1->setRow(std::min(row, SortGrid1->RowCount() - 1));
    UpdateProtocolControls();
}

void TFormMain::Zeileentfernen1Click()
{
    if (m_results->removeEntry(entryOfRow(SortGrid1->Row())))
        autoSave();
}

void TFormMain::AUS1Click()
{
    const int index = entryOfRow(SortGrid1->Row());
    if (index < 0)
        return;
    const QString before = m_results->timeOf(index);
    if (m_results->setOut(index) == ResultsModel::Change::Done) {
        appendRunLog(0, m_results->entry(index).startNumber(), QStringLiteral("AUS"),
                     QStringLiteral("vorher %1").arg(before.trimmed()));
        autoSave();
    }
}

void TFormMain::LetztenLaufungueltig1Click()
{
    const int index = entryOfRow(SortGrid1->Row());
    if (index < 0)
        return;
    const QList<Run> &runs = m_results->entry(index).runs;
    if (runs.isEmpty() || !runs.constLast().counts()) {
        showNotice(QStringLiteral("%1 hat keinen gültigen Lauf, der ungültig werden könnte.")
                       .arg(m_results->entry(index).rider.trimmed()));
        return;
    }
    const int number = m_results->entry(index).startNumber();
    m_results->correctRun(index, int(runs.size()) - 1, Run{runs.constLast().hundredths, Run::Invalid});
    appendRunLog(0, number, invalidRunText(), QStringLiteral("letzter Lauf ungültig"));
    autoSave();
}

void TFormMain::fillRunItems()
{
    for (QAction *action : PopupMenu1->actions()) {
        if (action->property("run").isValid()) {
            PopupMenu1->removeAction(action);
            delete action; // the menu is about to show: none of its actions is running
        }
    }
    const int index = entryOfRow(SortGrid1->Row());
    if (index < 0)
        return;
    const QList<Run> &runs = m_results->entry(index).runs;
    // Without run columns only "Zeit" is seen: it is the last run, and correcting it corrects that.
    const bool columns = m_results->runColumns() > 0;
    const int first = columns ? 0 : int(runs.size()) - 1;
    if (first < 0)
        return;
    PopupMenu1->addSeparator()->setProperty("run", -1);
    for (int i = first; i < runs.size(); ++i) {
        if (runs[i].state == Run::Out)
            continue;
        const QString caption = columns ? runCaption(i) : QStringLiteral("Zeit");
        QAction *correct = PopupMenu1->addAction(caption + QStringLiteral(" korrigieren…"));
        correct->setObjectName(QStringLiteral("LaufKorrigieren%1").arg(i + 1));
        correct->setProperty("run", i);
        connect(correct, &QAction::triggered, this, [this, i] { correctRunClick(i); });
        if (columns && runs[i].counts()) {
            QAction *invalid = PopupMenu1->addAction(caption + QStringLiteral(" ungültig"));
            invalid->setObjectName(QStringLiteral("LaufUngueltig%1").arg(i + 1));
            invalid->setProperty("run", i);
            connect(invalid, &QAction::triggered, this, [this, i] { invalidateRunClick(i); });
        }
    }
}

void TFormMain::correctRunClick(int runIndex)
{
    const int index = entryOfRow(SortGrid1->Row());
    if (index < 0 || runIndex >= m_results->entry(index).runs.size() ||
        m_race->phase() == RaceState::Phase::Running)
        return;
    const Entry &entry = m_results->entry(index);
    const Run before = entry.runs[runIndex];
    const QString caption = m_results->runColumns() > 0 ? runCaption(runIndex) : QStringLiteral("Zeit");
    EntryDialog dialog(this);
    dialog.setCorrection({entry.startNumber(), riderItemText(m_results->cells(index))}, caption, before);
    const int result = execEntryDialog ? execEntryDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return;
    const int number = entry.startNumber();
    if (m_results->correctRun(index, runIndex, dialog.run()) != ResultsModel::Change::Done)
        return;
    appendRunLog(0, number, dialog.run().text(),
                 QStringLiteral("%1 korrigiert, vorher %2").arg(caption, before.text()));
    autoSave();
}

void TFormMain::invalidateRunClick(int runIndex)
{
    const int index = entryOfRow(SortGrid1->Row());
    if (index < 0 || runIndex >= m_results->entry(index).runs.size())
        return;
    const Run before = m_results->entry(index).runs[runIndex];
    const int number = m_results->entry(index).startNumber();
    if (m_results->correctRun(index, runIndex, Run{before.hundredths, Run::Invalid}) !=
        ResultsModel::Change::Done)
        return;
    appendRunLog(0, number, invalidRunText(),
                 QStringLiteral("%1 ungültig, vorher %2").arg(runCaption(runIndex), before.text()));
    autoSave();
}

void TFormMain::BitBtnWithColor1Click()
{
    if (!BitBtnWithColor1->isEnabled())
        return;
    EntryDialog dialog(this);
    QList<EntryDialog::Rider> riders;
    for (const RiderItem &item : riderItems(*m_results)) {
        if (item.number >= 0)
            riders.append({item.number, item.text});
    }
    // Only a rider the operator chose since the last load or run is offered: Enter must not file
    // the time to whoever happens to stand in the grid's first row.
    dialog.setRiders(riders, m_pickedNumber);
    const int result = execEntryDialog ? execEntryDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return;
    const QString remark =
        dialog.isInvalid() ? QStringLiteral("von Hand, ungültig") : QStringLiteral("von Hand");
    recordRun(0, dialog.number(), dialog.run(), remark);
    UpdateProtocolControls();
}

void TFormMain::fillSelectors()
{
    const QList<RiderItem> items = riderItems(*m_results);
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
    QString error;
    if (ProtocolStore::saveText(path, shownTable(), &error))
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
        if (!writeFileAtomically(path, ProtocolFormat::csvFile(shownTable())))
            MessageBox::critical(this, applicationTitle(),
                                 QStringLiteral("Can't write to file:") + u'\r' + path);
    } else if (m_saveFilterIndex == 2) {
        WriteHtmlProtocol(path);
    } else if (!SaveTextProtocol(path)) {
        MessageBox::critical(this, applicationTitle(),
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
    FormResize();
}

bool TFormMain::LoadProtocol(const QString &path)
{
    // A list that cannot be read must not replace the protocol: the next automatic save would
    // write the empty grid over the last good one.
    const ProtocolStore::Loaded loaded = ProtocolStore::load(path);
    if (!loaded.error.isEmpty()) {
        MessageBox::critical(this, applicationTitle(),
                             QStringLiteral("Die Startliste %1 kann nicht geladen werden.\n%2")
                                 .arg(QDir::toNativeSeparators(path), loaded.error));
        return false;
    }
    QStringList leftOut = loaded.leftOut();
    m_results->setScoring(scoringOf(m_settings.Wertung));
    m_results->load(loaded.protocol.header, loaded.protocol.rows, &leftOut);
    m_pickedNumber = -1;
    fillSelectors();
    m_protocolName = QFileInfo(path).completeBaseName();
    m_protocolFolder = QFileInfo(path).absolutePath();
    setWindowTitle(applicationTitle() + QStringLiteral(": ") + ProtocolName());
    UpdateProtocolControls();
    if (!leftOut.isEmpty())
        showNotice(QStringLiteral("Startliste %1: %2.")
                       .arg(QDir::toNativeSeparators(path), leftOut.join(QStringLiteral(", "))));
    return true;
}
