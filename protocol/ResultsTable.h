#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class LocaleConverter;
class StringGridCells;
class TSortGrid;

// The results protocol's rules, on the grid that holds it: columns "Nr.", "Name", "Pferd", "Zeit",
// "Platz", row 0 the captions. Rows are always found by their start number, never by position, so
// start lists with gaps or numbers above 99 keep every time in its rider's row.
namespace Results {

enum Column {
    ColNr = 0,
    ColName = 1,
    ColHorse = 2,
    ColTime = 3,
    ColPlace = 4,
    ColumnCount = 5
};

// Sort key of a time that is empty, "AUS", blanks only or not a number: after every real time.
inline constexpr double NoTime = 2147483647.0;

QStringList headerCaptions();

// The time comparison of the "Zeit" column: -1, 0 or 1 by the locale number, NoTime for the rest.
double timeKey(const QString &text);
double timeKey(QStringView text, const LocaleConverter &converter);
int CompareTimes(const QString &a, const QString &b);
// "Nr." and "Platz": numbers in numeric order, then everything else by text.
int CompareNumbers(const QString &a, const QString &b);
int CompareNumbers(const QString &a, const QString &b, const LocaleConverter &converter);

// The start number of a "Nr." text, or -1 when it is not a whole number.
int startNumber(const QString &text);
// Grid row holding the start number (the first one from the top), or -1.
int rowOfStartNumber(const StringGridCells &cells, int number);

// Writes the time into the "Zeit" cell of the row with that number; false (and nothing changed)
// when no row carries it.
bool EnterLaneTime(TSortGrid &grid, int number, const QString &timeText);

enum class Scoring;

// Places are standard competition ranks by time (1, 2, 2, 4), whatever column the operator sorted
// by; rows without a time, out or with an invalid run keep their "Platz". Scored by the best run,
// equal times are told apart by the second best run. The grid is then sorted by the operator's
// column and direction.
void RankProtocol(TSortGrid &grid, Scoring scoring);

// Answers the grid's question for the comparison of a column.
void installSortStyles(TSortGrid &grid);

struct Totals
{
    int EntryCount = 0;
    int DistinctHorses = 0;
    int DistinctTimes = 0;
};
Totals CountTotals(const StringGridCells &cells);

// True when row 1 carries a start number: the protocol has entries to save, print or remove.
bool hasEntries(const StringGridCells &cells);

// One item of a lane's rider selector: "%2s %s %s %s" of Nr., Name, Pferd, Zeit.
struct RiderItem
{
    int number = -1; // -1: the row's "Nr." is not a number
    QString text;
};
QString riderItemText(const QStringList &cells);
// Items for every entry row, numbered ones in numeric order first, the rest in row order.
QList<RiderItem> riderItems(const StringGridCells &cells);

// The next pair of selector indexes after a RESET: each lane moves on by two and wraps to the
// other lane's start, so the riders run on the other lane on the next pass.
struct RiderPair
{
    int lane1 = -1;
    int lane2 = -1;
};
RiderPair AdvanceRiders(RiderPair current, int count1, int count2);

// START is available with riders in both selectors, two different ones selected, and no run.
bool startAvailable(int count1, int count2, int index1, int index2, bool clockRunning);

// The lane time's text: whole seconds, the locale's decimal separator, two truncated hundredths.
QString FormatLaneTime(qint64 ms);

} // namespace Results
