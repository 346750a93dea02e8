#include "protocol/Runs.h"

#include "controls/MyGrids.h"
#include "controls/SortCompare.h"
#include "controls/SortGrid.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace Results {

Scoring scoringOf(int stored)
{
    return stored == int(Scoring::BestRun) ? Scoring::BestRun : Scoring::LastRun;
}

QString runCaption(int index)
{
    return QString::number(index + 1) + QStringLiteral(". Lauf");
}

int runColumnsIn(const QStringList &header)
{
    int count = 0;
    while (count < MaxRuns && FirstRunColumn + count < header.size() &&
           header[FirstRunColumn + count].trimmed() == runCaption(count))
        ++count;
    return count;
}

int runColumnCount(const StringGridCells &cells)
{
    return runColumnsIn(cells.Rows(0));
}

QList<QStringList> readProtocolRows(QStringView text, QStringList &header,
                                    ProtocolFormat::ParseReport &report)
{
    const int runs = runColumnsIn(ProtocolFormat::headerCells(text, FirstRunColumn + MaxRuns));
    header = headerCaptions();
    for (int i = 0; i < runs; ++i)
        header.append(runCaption(i));
    return ProtocolFormat::parseRows(text, int(header.size()), &report);
}

void ensureRunColumns(TSortGrid &grid, int count)
{
    count = std::min(count, MaxRuns);
    if (runColumnCount(grid.Storage()) >= count)
        return;
    if (grid.ColCount() < FirstRunColumn + count)
        grid.setColCount(FirstRunColumn + count);
    for (int i = 0; i < count; ++i)
        grid.setCells(FirstRunColumn + i, 0, runCaption(i));
}

QString invalidRunText()
{
    return QStringLiteral("0") + QLocale().decimalPoint() + QStringLiteral("00");
}

bool isInvalidTime(QStringView text, const LocaleConverter &converter)
{
    const double key = timeKey(text, converter);
    return key != NoTime && key <= 0;
}

namespace {

// A run that counts: a time above zero as a lane display shows it. Any other number ("9e16",
// "10000,00") was typed into a file, and would overflow a mean or print as a best time.
bool isValidRun(QStringView text)
{
    return isTimeText(text);
}

} // namespace

QStringList runsOfRow(const StringGridCells &cells, int row)
{
    const int columns = runColumnCount(cells);
    QStringList runs;
    for (int i = 0; i < columns; ++i)
        runs.append(cells.Cells(FirstRunColumn + i, row));
    while (!runs.isEmpty() && runs.constLast().trimmed().isEmpty())
        runs.removeLast();
    return runs;
}

RunSummary summarizeRuns(const QStringList &runs, const LocaleConverter &converter)
{
    RunSummary summary;
    qint64 sum = 0;
    for (const QString &run : runs) {
        if (run.trimmed().isEmpty())
            continue;
        ++summary.runs;
        if (!isValidRun(run))
            continue; // invalid, out, or no time at all
        const double time = timeKey(run, converter);
        ++summary.validRuns;
        sum += std::llround(time * 100);
        if (time < summary.best) {
            summary.secondBest = summary.best;
            summary.best = time;
            summary.bestText = run.trimmed();
        } else if (time < summary.secondBest) {
            summary.secondBest = time;
        }
    }
    if (summary.validRuns > 0)
        summary.meanHundredths = (2 * sum + summary.validRuns) / (2 * qint64(summary.validRuns)); // rounded
    return summary;
}

RunSummary summarizeRow(const StringGridCells &cells, int row, const LocaleConverter &converter)
{
    QStringList runs = runsOfRow(cells, row);
    if (runs.isEmpty())
        runs.append(cells.Cells(ColTime, row));
    return summarizeRuns(runs, converter);
}

bool isTimeText(QStringView text)
{
    text = text.trimmed();
    const qsizetype point = text.indexOf(QLocale().decimalPoint());
    if (point < 1 || point > 4 || text.size() != point + 3)
        return false;
    bool anyAboveZero = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == point)
            continue;
        if (text[i] < u'0' || text[i] > u'9')
            return false;
        anyAboveZero = anyAboveZero || text[i] != u'0';
    }
    return anyAboveZero;
}

QString hundredthsText(qint64 hundredths)
{
    return QString::number(hundredths / 100) + QLocale().decimalPoint() +
           QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

namespace {

// "Zeit" of a row under BestRun: the best valid run, or "0,00" when every run was invalid.
void showBestRun(TSortGrid &grid, int row, const LocaleConverter &converter)
{
    const RunSummary summary = summarizeRuns(runsOfRow(grid.Storage(), row), converter);
    if (summary.validRuns > 0) {
        grid.setCells(ColTime, row, summary.bestText);
    } else {
        grid.setCells(ColTime, row, invalidRunText());
        grid.setCells(ColPlace, row, QString());
    }
}

} // namespace

RunEntry EnterRun(TSortGrid &grid, int number, const QString &timeText, Scoring scoring)
{
    const int row = rowOfStartNumber(grid.Storage(), number);
    if (row < 0)
        return RunEntry::NoRow;
    const LocaleConverter converter;
    if (scoring == Scoring::LastRun) {
        grid.setCells(ColTime, row, timeText);
        if (isInvalidTime(timeText, converter))
            grid.setCells(ColPlace, row, QString());
        return RunEntry::Entered;
    }
    QStringList runs = runsOfRow(grid.Storage(), row);
    // A time the rider already has from before the run columns (a protocol scored by the last run)
    // is that rider's first run, not something to overwrite.
    const QString earlier = grid.Cells(ColTime, row);
    const bool keepEarlier = runs.isEmpty() && timeKey(earlier, converter) != NoTime;
    if (keepEarlier)
        runs.append(earlier.trimmed());
    if (runs.size() >= MaxRuns)
        return RunEntry::TooManyRuns;
    runs.append(timeText);
    ensureRunColumns(grid, int(runs.size()));
    for (qsizetype i = keepEarlier ? 0 : runs.size() - 1; i < runs.size(); ++i)
        grid.setCells(FirstRunColumn + int(i), row, runs[i]);
    showBestRun(grid, row, converter);
    return RunEntry::Entered;
}

bool InvalidateLastRun(TSortGrid &grid, int row, Scoring scoring)
{
    if (row < 1 || row >= grid.RowCount())
        return false;
    const LocaleConverter converter;
    const QStringList runs = runsOfRow(grid.Storage(), row);
    if (scoring == Scoring::BestRun && !runs.isEmpty()) {
        const int last = FirstRunColumn + int(runs.size()) - 1;
        if (!isValidRun(grid.Cells(last, row)))
            return false;
        grid.setCells(last, row, invalidRunText());
        showBestRun(grid, row, converter);
        return true;
    }
    const QString time = grid.Cells(ColTime, row);
    if (!isValidRun(time))
        return false;
    grid.setCells(ColTime, row, invalidRunText());
    grid.setCells(ColPlace, row, QString());
    return true;
}

} // namespace Results
