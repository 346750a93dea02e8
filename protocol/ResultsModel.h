#pragma once

#include "protocol/ProtocolFiles.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The results of a show as data: the entries of the start list and every run they rode. "Zeit" and
// "Platz" are derived from the runs for the chosen scoring and never stored beside them, so a change
// of scoring, a correction or an invalid run can never leave a stale time or place behind.
namespace Results {

enum Column {
    ColNr = 0,
    ColName = 1,
    ColHorse = 2,
    ColTime = 3,
    ColPlace = 4,
    ColumnCount = 5
};
inline constexpr int FirstRunColumn = ColumnCount;

// The settings value "Wertung".
enum class Scoring {
    LastRun = 0, // "Letzter Lauf zählt"
    BestRun = 1  // "Bester Lauf zählt"
};
Scoring scoringOf(int stored);

// A rider never gets more runs than this, so a protocol cannot grow without bound.
inline constexpr int MaxRuns = 12;
// The longest time a lane display shows: 9999,99 seconds.
inline constexpr int MaxHundredths = 999999;

// Hundredths as the program writes times: whole seconds, the locale's decimal separator, two
// digits ("12,34").
QString timeText(qint64 hundredths);
QString timeText(qint64 hundredths, QChar decimal); // for many times at once
// A time as the program, an operator or another program may write it: whole seconds (leading zeros
// allowed), optionally the locale's decimal separator and one or two digits of hundredths, blanks
// around it. Nothing else reads as a time, and nothing beyond MaxHundredths.
std::optional<int> parseTime(QStringView text);
// "0,00": how an invalid run is published.
QString invalidRunText();
QString runCaption(int index); // "1. Lauf" for index 0
QStringList headerCaptions();  // "Nr.", "Name", "Pferd", "Zeit", "Platz"

struct Run
{
    enum State {
        Valid,
        Invalid, // declared invalid, or a time of zero: published as "0,00"
        Out      // "AUS"
    };
    int hundredths = 0;
    State state = Valid;

    // A run that takes part in the ranking.
    bool counts() const { return state == Valid && hundredths > 0; }
    QString text() const;
    // A run cell of a protocol file: a time, "AUS" (or "aus"); nothing for any other text.
    static std::optional<Run> fromText(QStringView text);
    bool operator==(const Run &other) const = default;
};

struct Entry
{
    QString number; // "Nr." as the start list wrote it
    QString rider;
    QString horse;
    QList<Run> runs; // oldest first
    // What a loaded file held in "Zeit" and "Platz" without being a run (a start list of another
    // program): shown as it stands until the rider's first run.
    QString loadedTime;
    QString loadedPlace;

    int startNumber() const; // -1 when "Nr." is not a whole number
};

// The start number of a "Nr." text, or -1 when it is not a whole number.
int startNumber(QStringView text);

struct Totals
{
    int EntryCount = 0;
    int DistinctHorses = 0;
    int DistinctTimes = 0;
};

class ResultsModel : public QObject
{
    Q_OBJECT

public:
    explicit ResultsModel(QObject *parent = nullptr);

    enum class Change {
        Done,
        NoEntry,     // no entry carries that number or index
        TooManyRuns, // the rider has MaxRuns already
        NoRun,       // no such run, or nothing to change about it
    };

    Scoring scoring() const { return m_scoring; }
    void setScoring(Scoring scoring);

    // Replaces every entry by the rows of a file whose header is `header` (the five columns and the
    // run columns it names). A "Zeit" that is a time counts as the rider's one run when the file
    // has no run columns. What could not be taken is described in `leftOut`.
    void load(const QStringList &header, const QList<QStringList> &rows, QStringList *leftOut = nullptr);
    void clear();

    int count() const { return int(m_entries.size()); }
    const Entry &entry(int index) const { return m_entries[size_t(index)]; }
    // The first entry with the start number, or -1.
    int indexOfNumber(int number) const;
    // The first entry with these three cells, for rows whose "Nr." is no number.
    int indexOfCells(const QString &number, const QString &rider, const QString &horse) const;

    Change addRun(int number, Run run);
    Change correctRun(int index, int runIndex, Run run);
    Change setOut(int index); // "AUS": the rider is out, until a further run
    bool removeEntry(int index);

    // Derived, for the current scoring.
    QString timeOf(int index) const { return m_time[size_t(index)]; }
    QString placeOf(int index) const;
    int place(int index) const { return m_place[size_t(index)]; } // 0: no place
    // Entries in the order of the places; ties and entries without a place keep the order they had.
    const std::vector<int> &rankOrder() const { return m_order; }
    // The order a view sorted by a column shows: by places for "Zeit", by number for "Nr." and
    // "Platz", by text for the rest; ties in the order of the places.
    std::vector<int> viewOrder(int column, bool descending) const;

    // Run columns are shown while runs are scored by the best one, or once a protocol brought them.
    int runColumns() const { return m_runColumns; }
    QStringList header() const;
    QStringList cells(int index) const;
    // The header, then the entries in the given order: what the grid shows and the files hold.
    ProtocolFormat::Table table(const std::vector<int> &order) const;
    Totals totals() const;

signals:
    // After every change of the entries, their runs or the scoring.
    void changed();

private:
    // Derives times, places and the shown cells after a change of one entry's runs, or of
    // everything (-1).
    void recompute(int changedEntry);

    std::vector<Entry> m_entries;
    Scoring m_scoring = Scoring::LastRun;
    bool m_keepsRunColumns = false;
    int m_runColumns = 0;
    // Derived by recompute(), one per entry.
    std::vector<QString> m_time;
    std::vector<int> m_place;
    std::vector<int> m_order;
    std::vector<int> m_numbers;      // each entry's start number
    std::vector<QStringList> m_rows; // each entry's cells as shown
};

} // namespace Results
