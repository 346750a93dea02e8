#pragma once

#include <QLocale>
#include <QString>

#include <functional>
#include <vector>

class StringGridCells;

enum TSortStyle {
    ssAutomatic,
    ssNormal,
    ssNumeric,
    ssNumericExtended,
    ssDateTime,
    ssTime,
    ssCustom
};

enum TSortDirection {
    sdAscending,
    sdDescending
};

// A comparison of two texts returning -1, 0 or 1.
using SortComparison = std::function<int(const QString &, const QString &)>;

struct TSortOptions
{
    bool CanSort = true;
    // Comma-separated column numbers of the lower-ranking sort keys.
    QString SecondaryIndex;
    TSortStyle SortStyle = ssNormal;
    bool SortCaseSensitive = false;
    // The primary key of the last sort.
    int SortCol = 0;
    TSortDirection SortDirection = sdAscending;
    // A change of the row or column count re-sorts by SortCol.
    bool UpdateOnSizeChange = false;
    // Used by ssCustom; cleared after every sort. Without one, ssCustom compares byte-wise.
    SortComparison SortCompare;
};

// Conversions of cell texts with the locale's settings, as the numeric, date and time comparisons
// need them. Built once per sort: the locale is read when it is constructed.
class LocaleConverter
{
public:
    explicit LocaleConverter(const QLocale &locale = QLocale());

    // A floating-point number with the locale's decimal separator; no group separators.
    bool toDouble(QStringView text, double &value) const;
    // The time of day in the locale's short time format, seconds and thousandths optional:
    // milliseconds since midnight.
    bool toTime(QStringView text, qint64 &msecs) const;
    // A date in the locale's short date order and separator (day, month, year of one to four
    // digits), optionally followed by a time: milliseconds on a common scale.
    bool toDateTime(QStringView text, qint64 &msecs) const;

private:
    bool toDate(QStringView text, qint64 &days) const;

    QLocale m_locale;
    QChar m_decimal;
    bool m_fastNumbers = false;
    QChar m_dateSeparator;
    char m_dateOrder[3] = {'d', 'M', 'y'};
    QChar m_timeSeparator;
};

// Turns A-Z into a-z; every other character stays as it is.
QString foldCase(const QString &text);

// Byte-wise comparison: Windows-1252 character codes, unsigned, the shorter text first when it is
// the beginning of the other. Characters the code page lacks follow all others by their UTF-16
// code, so different texts never compare equal.
int compareAnsi(QStringView a, QStringView b);

// Texts with embedded numbers, so that "Lauf 9" comes before "Lauf 10". An empty text gives -1.
int compareNumericExtended(QStringView a, QStringView b);

// The comparison of two texts by a style, case folding included (see TSortOptions).
int compareTexts(const QString &a, const QString &b, TSortStyle style, bool caseSensitive,
                 const SortComparison &custom = {}, const LocaleConverter &converter = LocaleConverter());

// The style that fits every text of column col in the data rows: ssNumeric, ssDateTime, ssTime or
// ssNormal. A grid without data rows counts as numeric.
TSortStyle DetectSortStyle(const StringGridCells &cells, int col);

// Column numbers of SecondaryIndex without col, with col in front. Entries that are not column
// numbers of the grid are skipped.
std::vector<int> sortKeys(const QString &secondaryIndex, int col, int colCount);

// The handler asked once per sort key for its style (and, for ssCustom, SortCompare).
using SortStyleQuery = std::function<void(int col, TSortStyle &style)>;

// The order of a sort by col: entry i is the row that moves to row i (row 0 stays). Updates
// SortCol and SortStyle and clears SortCompare, as a sort does. Empty when CanSort is false.
std::vector<int> sortOrder(const StringGridCells &cells, int col, TSortOptions &options,
                           const SortStyleQuery &styleQuery = {});

// sortOrder applied to the cells; returns the order.
std::vector<int> sortRows(StringGridCells &cells, int col, TSortOptions &options,
                          const SortStyleQuery &styleQuery = {});

// A header caption that fits the available width: its end replaced by ".." and shortened while
// it is too wide and longer than three characters.
QString shortenCaption(const QString &caption, int available,
                       const std::function<int(const QString &)> &width);

// The row a typed character jumps to: the next row below currentRow, wrapping to row 1 and up to
// currentRow, whose text in col begins with the character (a-z compared as A-Z); -1 when none.
int findRowByChar(const StringGridCells &cells, int col, int currentRow, QChar typed);
