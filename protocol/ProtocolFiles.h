#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The protocol's file formats, independent of any window: a tab-separated text format and a
// semicolon-separated CSV format, both five columns "Nr.", "Name", "Pferd", "Zeit", "Platz".
namespace ProtocolFormat {

inline constexpr int ColumnCount = 5;

// Text format: every field followed by a TAB, an empty field written as one blank, CR LF.
QString textLine(const QStringList &cells);

// Splits a start list or protocol into entry rows of exactly `columns` cells.
// Lines beginning with "Nr" are headers and skipped. A line holding a TAB is split at TABs, a run
// of TABs counting as one and an empty piece becoming one blank. Any other line is CSV: ";"
// separates, empty fields keep their column, quoted fields may hold ";", quotes and line breaks.
// Pieces beyond `columns` are dropped; an empty line gives an entry of empty cells.
QList<QStringList> parseRows(QStringView text, int columns = ColumnCount);

} // namespace ProtocolFormat
