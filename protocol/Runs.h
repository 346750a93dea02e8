#pragma once

#include "protocol/ProtocolFiles.h"
#include "protocol/ResultsTable.h"

#include <QString>
#include <QStringList>

class LocaleConverter;
class StringGridCells;
class TSortGrid;

// Several runs per rider. With "Bester Lauf zählt" every run is kept in a column after "Platz"
// ("1. Lauf", "2. Lauf", ...) and "Zeit" holds the best valid run; with "Letzter Lauf zählt" a run
// overwrites "Zeit" and run columns a loaded protocol brought along stay as they are.
namespace Results {

// The settings value "Wertung".
enum class Scoring {
    LastRun = 0, // "Letzter Lauf zählt"
    BestRun = 1  // "Bester Lauf zählt"
};
Scoring scoringOf(int stored);

// A rider never gets more runs than this, so a protocol cannot grow without bound.
inline constexpr int MaxRuns = 12;
inline constexpr int FirstRunColumn = ColumnCount;

QString runCaption(int index); // "1. Lauf" for index 0
// Run columns a header carries: consecutive run captions from the column after "Platz" on.
int runColumnsIn(const QStringList &header);
int runColumnCount(const StringGridCells &cells);
// The entries of a start list or protocol, and the header a grid takes for them: the five columns,
// and the run columns a saved protocol's header names.
QList<QStringList> readProtocolRows(QStringView text, QStringList &header,
                                    ProtocolFormat::ParseReport &report);
// Widens the grid to `count` run columns with their captions; never narrows it.
void ensureRunColumns(TSortGrid &grid, int count);

// An invalid run is published as a zero time: "0,00" with the locale's separator.
QString invalidRunText();
// A time text that reads as zero or less: an invalid run, which never takes a place.
bool isInvalidTime(QStringView text, const LocaleConverter &converter);

// The runs a row carries, oldest first; blank cells after the last run are no runs.
QStringList runsOfRow(const StringGridCells &cells, int row);

// What a rider's runs make: the best and second best valid times (NoTime when missing), the best
// one's text, and the valid runs' mean in hundredths.
struct RunSummary
{
    int runs = 0;
    int validRuns = 0;
    double best = NoTime;
    double secondBest = NoTime;
    QString bestText;
    qint64 meanHundredths = 0;
};
RunSummary summarizeRuns(const QStringList &runs, const LocaleConverter &converter);
// A row's runs; a row without run columns counts its "Zeit" as its one run.
RunSummary summarizeRow(const StringGridCells &cells, int row, const LocaleConverter &converter);
// A time as the program writes it, above zero: one to four digits of seconds, the locale's decimal
// separator and two digits of hundredths ("12,34"); blanks around it are allowed.
bool isTimeText(QStringView text);
// Hundredths as the lane displays write them: "12,34".
QString hundredthsText(qint64 hundredths);

enum class RunEntry {
    Entered,
    NoRow,      // no row carries the start number
    TooManyRuns // the rider has MaxRuns already; nothing changed
};
// Records a run for the rider with that start number: with BestRun it is appended to the rider's
// runs and "Zeit" becomes the best valid one, with LastRun it overwrites "Zeit".
RunEntry EnterRun(TSortGrid &grid, int number, const QString &timeText, Scoring scoring);

// Declares the row's last run invalid: it becomes "0,00" and the row's place is cleared. False when
// the row has no run to declare invalid.
bool InvalidateLastRun(TSortGrid &grid, int row, Scoring scoring);

} // namespace Results
