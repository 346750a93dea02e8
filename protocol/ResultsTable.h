#pragma once

#include "protocol/ProtocolFiles.h"
#include "protocol/ResultsModel.h"

#include <QList>
#include <QString>
#include <QStringList>

// The rules around the results that the window and the printed pages share: the lane riders'
// selector items, the next pair of riders, when START is available, and what a shown protocol row
// makes of its runs.
namespace Results {

// One item of a lane's rider selector: "%2s %s %s %s" of Nr., Name, Pferd, Zeit.
struct RiderItem
{
    int number = -1; // -1: the entry's "Nr." is not a number
    QString text;
};
QString riderItemText(const QStringList &cells);
// Items for every entry, numbered ones in numeric order first, the rest in their order.
QList<RiderItem> riderItems(const ResultsModel &results);

// The next pair of selector indexes after a RESET: each lane moves on by two and wraps to the
// other lane's start, so the riders run on the other lane on the next pass.
struct RiderPair
{
    int lane1 = -1;
    int lane2 = -1;
};
RiderPair AdvanceRiders(RiderPair current, int count1, int count2);

// START is available with riders in both selectors, two different ones selected, and no run.
bool startAvailable(int count1, int count2, int index1, int index2, bool runOpen);

// The lane time's text: whole seconds, the locale's decimal separator, two truncated hundredths.
QString FormatLaneTime(qint64 ms);

// The totals of a shown protocol: entries, distinct horses and distinct times (letter case ignored).
Totals CountTotals(const ProtocolFormat::Table &table);

// What a shown row's runs make: the best valid time and the valid runs' mean in hundredths (-1
// without a valid run). A row without run columns counts its "Zeit" as its one run. A cell that is
// no time of the program's format (or beyond what a lane display shows) is no run.
struct RunSummary
{
    int validRuns = 0;
    int best = -1;
    qint64 meanHundredths = -1;
};
RunSummary summarizeRow(const ProtocolFormat::Table &table, int row);

} // namespace Results
