#include "protocol/ResultsTable.h"

#include "controls/MyGrids.h"
#include "controls/SortGrid.h"
#include "protocol/Runs.h"

#include <QLocale>

#include <algorithm>
#include <memory>

namespace Results {

namespace {

bool isOut(const QString &text)
{
    return text == u"AUS" || text == u"aus";
}

// A time that takes no place: empty, blanks only, or out.
bool isUnranked(const QString &text)
{
    return text.trimmed().isEmpty() || isOut(text);
}

int sign(double a, double b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The order of "Zeit": an invalid run's zero time goes with the rows that have no time.
double rankKey(QStringView text, const LocaleConverter &converter)
{
    const double key = timeKey(text, converter);
    return key <= 0 ? NoTime : key;
}

} // namespace

QStringList headerCaptions()
{
    return {QStringLiteral("Nr."), QStringLiteral("Name"), QStringLiteral("Pferd"), QStringLiteral("Zeit"),
            QStringLiteral("Platz")};
}

double timeKey(QStringView text, const LocaleConverter &converter)
{
    // No time runs to 32 characters; a longer text (a cell of a file that was no start list) would
    // only keep the locale's number parser busy at every comparison of a sort.
    constexpr qsizetype LongestTime = 32;
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > LongestTime || text == u"AUS" || text == u"aus")
        return NoTime;
    double value = 0;
    return converter.toDouble(trimmed, value) ? value : NoTime;
}

double timeKey(const QString &text)
{
    return timeKey(text, LocaleConverter());
}

int CompareTimes(const QString &a, const QString &b)
{
    const LocaleConverter converter;
    return sign(timeKey(a, converter), timeKey(b, converter));
}

int CompareNumbers(const QString &a, const QString &b, const LocaleConverter &converter)
{
    double x = 0;
    double y = 0;
    const bool okA = converter.toDouble(QStringView(a).trimmed(), x);
    const bool okB = converter.toDouble(QStringView(b).trimmed(), y);
    if (okA && okB)
        return sign(x, y);
    if (okA != okB)
        return okA ? -1 : 1;
    return compareAnsi(a, b);
}

int CompareNumbers(const QString &a, const QString &b)
{
    return CompareNumbers(a, b, LocaleConverter());
}

int startNumber(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? n : -1;
}

int rowOfStartNumber(const StringGridCells &cells, int number)
{
    if (number < 0)
        return -1;
    for (int r = 1; r < cells.RowCount(); ++r) {
        if (startNumber(cells.Cells(ColNr, r)) == number)
            return r;
    }
    return -1;
}

bool EnterLaneTime(TSortGrid &grid, int number, const QString &timeText)
{
    const int row = rowOfStartNumber(grid.Storage(), number);
    if (row < 0)
        return false;
    grid.setCells(ColTime, row, timeText);
    return true;
}

void RankProtocol(TSortGrid &grid, Scoring scoring)
{
    const LocaleConverter converter;
    const bool bySecondBest = scoring == Scoring::BestRun && runColumnCount(grid.Storage()) > 0;
    QList<int> rows;
    QList<double> keys(grid.RowCount(), NoTime);
    QList<double> secondKeys(grid.RowCount(), NoTime);
    for (int r = 1; r < grid.RowCount(); ++r) {
        rows.append(r);
        keys[r] = rankKey(grid.Cells(ColTime, r), converter);
        if (bySecondBest)
            secondKeys[r] = summarizeRuns(runsOfRow(grid.Storage(), r), converter).secondBest;
    }
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        return keys[a] != keys[b] ? keys[a] < keys[b] : secondKeys[a] < secondKeys[b];
    });

    QString previousText;
    double previousSecond = NoTime;
    int previousPlace = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const int r = rows[i];
        const QString time = grid.Cells(ColTime, r);
        if (isUnranked(time) || isInvalidTime(time, converter))
            continue;
        const int position = int(i) + 1;
        if (time != previousText || secondKeys[r] != previousSecond) {
            previousText = time;
            previousSecond = secondKeys[r];
            previousPlace = position;
        }
        grid.setCells(ColPlace, r, QString::number(previousPlace));
    }
    grid.SortByColumn(grid.SortOptions().SortCol);
}

void installSortStyles(TSortGrid &grid)
{
    grid.OnGetSortStyle = [](TSortGrid *sender, int col, TSortStyle &style) {
        // One converter per sort: reading the locale for every comparison would be slow.
        auto converter = std::make_shared<const LocaleConverter>();
        if (col == ColTime || col >= FirstRunColumn) {
            sender->SortOptions().SortCompare = [converter](const QString &a, const QString &b) {
                return sign(rankKey(a, *converter), rankKey(b, *converter));
            };
            style = ssCustom;
        } else if (col == ColNr || col == ColPlace) {
            sender->SortOptions().SortCompare = [converter](const QString &a, const QString &b) {
                return CompareNumbers(a, b, *converter);
            };
            style = ssCustom;
        } else {
            style = ssAutomatic; // names and horses compare as text
        }
    };
}

Totals CountTotals(const StringGridCells &cells)
{
    auto distinct = [&](int col) {
        QStringList seen;
        for (int r = 1; r < cells.RowCount(); ++r) {
            const QString text = cells.Cells(col, r);
            if (!seen.contains(text, Qt::CaseInsensitive))
                seen.append(text);
        }
        return int(seen.size());
    };
    Totals totals;
    totals.EntryCount = cells.RowCount() - 1;
    totals.DistinctHorses = distinct(ColHorse);
    totals.DistinctTimes = distinct(ColTime);
    return totals;
}

bool hasEntries(const StringGridCells &cells)
{
    return cells.RowCount() >= 2 && !cells.Cells(ColNr, 1).isEmpty();
}

QString riderItemText(const QStringList &cells)
{
    auto cell = [&](int c) { return c < cells.size() ? cells[c] : QString(); };
    // Concatenated rather than formatted, so a "%1" in a name stays as it is.
    const QString number = cell(ColNr);
    const QString padded = number.size() < 2 ? QString(2 - number.size(), u' ') + number : number;
    return padded + u' ' + cell(ColName) + u' ' + cell(ColHorse) + u' ' + cell(ColTime);
}

QList<RiderItem> riderItems(const StringGridCells &cells)
{
    QList<RiderItem> items;
    for (int r = 1; r < cells.RowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < ColumnCount; ++c)
            row.append(cells.Cells(c, r));
        items.append({startNumber(row[ColNr]), riderItemText(row)});
    }
    std::stable_sort(items.begin(), items.end(), [](const RiderItem &a, const RiderItem &b) {
        if ((a.number < 0) != (b.number < 0))
            return b.number < 0;
        return a.number < b.number;
    });
    return items;
}

RiderPair AdvanceRiders(RiderPair current, int count1, int count2)
{
    RiderPair next;
    next.lane1 = current.lane1 + 2 < count1 ? current.lane1 + 2 : 1;
    next.lane2 = current.lane2 + 2 < count2 ? current.lane2 + 2 : 0;
    return next;
}

bool startAvailable(int count1, int count2, int index1, int index2, bool clockRunning)
{
    return count1 > 0 && count2 > 0 && !clockRunning && index1 != index2;
}

QString FormatLaneTime(qint64 ms)
{
    const qint64 hundredths = std::max<qint64>(ms, 0) / 10;
    return QString::number(hundredths / 100) + QLocale().decimalPoint() +
           QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

} // namespace Results
