#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The protocol's file formats, independent of any window: a tab-separated text format and a
// semicolon-separated CSV format, both five columns "Nr.", "Name", "Pferd", "Zeit", "Platz".
namespace ProtocolFormat {

inline constexpr int ColumnCount = 5;

// Longest cell a load keeps: a start list's cells are names, far below this, and a file that is
// not a start list must not fill the grid, the selectors and every later save with megabytes.
inline constexpr int MaxCellLength = 1000;
// Most entry rows, and most characters in all cells, that a load keeps (start numbers stay below
// 100), so that ranking and saving the protocol at the end of every run stays quick whatever file
// was picked.
inline constexpr int MaxRows = 10000;
inline constexpr qsizetype MaxText = 4000000;

// A protocol as the grid shows it and the files hold it: row 0 the captions, then the entries.
using Table = QList<QStringList>;

// Text format: every field followed by a TAB, an empty field written as one blank, CR LF. A line
// break or TAB inside a cell is written as one blank, so every cell stays on its own line and field.
QString textLine(const QStringList &cells);

// One CSV line: ";" between the cells, CR LF at the end. A cell holding ";", a double quote or a
// line break is put in double quotes with inner quotes doubled, so it reads back as one field.
QString csvLine(const QStringList &cells);

// The files' bytes in Windows-1252. The text file leaves out rows without a "Nr."; the CSV file
// holds every row.
QByteArray textFile(const Table &table);
QByteArray csvFile(const Table &table);

// What a load left out of the file.
struct ParseReport
{
    int cutCells = 0;          // cells cut to MaxCellLength
    int ignoredEmptyLines = 0; // empty lines after the last entry
    bool cutShort = false;     // the rest of the file was not read: MaxRows or MaxText was reached
};

// Splits a start list or protocol into entry rows of exactly `columns` cells.
// Lines beginning with "Nr" are headers and skipped. A line holding a TAB is split at TABs, a run
// of TABs counting as one and an empty piece becoming one blank. Any other line is CSV: ";"
// separates and empty fields keep their column, but an empty first field becomes one blank as in
// the TAB lines. A field that starts with a quote is quoted when the quote closes before the end
// of the text and the closing quote ends the field; it may then hold ";", quotes and line breaks.
// Any other quote is an ordinary character, and its line ends at its line break.
// Pieces beyond `columns` are dropped and cells are cut to MaxCellLength. An empty line gives an
// entry of empty cells, except after the last entry, where empty lines are ignored. Reading stops
// before the row that would pass MaxRows or MaxText.
QList<QStringList> parseRows(QStringView text, int columns = ColumnCount, ParseReport *report = nullptr);

// The cells of the text's first line when it is a header (it begins with "Nr"), split as an entry
// line is; empty otherwise. A protocol's header tells which columns follow "Platz".
QStringList headerCells(QStringView text, int columns);

// Most columns a load reads from a line: the five, every run column a rider may have, and some
// room to tell the operator about further columns that were left out.
inline constexpr int MaxColumns = 40;

// A start list or saved protocol: the file's header (the five captions when it has none) and its
// entry rows, each as wide as the wider of the header and the five columns.
struct Protocol
{
    QStringList header;
    QList<QStringList> rows;
    ParseReport report;
};
Protocol readProtocol(QStringView text);

} // namespace ProtocolFormat
