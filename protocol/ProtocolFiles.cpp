#include "protocol/ProtocolFiles.h"

namespace ProtocolFormat {

namespace {

constexpr QChar Tab = u'\t';
constexpr QChar Semicolon = u';';
constexpr QChar Quote = u'"';

const QString LineEnd = QStringLiteral("\r\n");

// Length of the physical line starting at pos, without its line end.
qsizetype lineLength(QStringView text, qsizetype pos)
{
    qsizetype end = pos;
    while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
        ++end;
    return end - pos;
}

// Position after the line end at pos (CR LF, LF or a lone CR), or pos at the end of the text.
qsizetype skipLineEnd(QStringView text, qsizetype pos)
{
    if (pos < text.size() && text[pos] == u'\r')
        ++pos;
    if (pos < text.size() && text[pos] == u'\n')
        ++pos;
    return pos;
}

QStringList tabRow(QStringView line, int columns)
{
    QStringList cells;
    qsizetype start = 0;
    while (start <= line.size() && cells.size() < columns) {
        qsizetype end = line.indexOf(Tab, start);
        if (end < 0) {
            // A final break starts no further piece.
            if (start < line.size() || cells.isEmpty())
                cells.append(line.mid(start).toString());
            break;
        }
        const QStringView piece = line.mid(start, end - start);
        cells.append(piece.isEmpty() ? QStringLiteral(" ") : piece.toString());
        // A run of TABs counts as one.
        while (end < line.size() && line[end] == Tab)
            ++end;
        start = end;
    }
    return cells;
}

// Reads one CSV record from pos, which may run over several physical lines inside quotes.
// Returns the position after its line end.
qsizetype csvRow(QStringView text, qsizetype pos, int columns, QStringList &cells)
{
    QString field;
    bool quoted = false;
    bool any = false;
    auto finishField = [&] {
        if (cells.size() < columns)
            cells.append(field);
        field.clear();
    };
    while (pos < text.size()) {
        const QChar c = text[pos];
        if (quoted) {
            if (c == Quote) {
                if (pos + 1 < text.size() && text[pos + 1] == Quote) {
                    field.append(Quote);
                    pos += 2;
                    continue;
                }
                quoted = false;
            } else {
                field.append(c);
            }
            ++pos;
            continue;
        }
        if (c == u'\r' || c == u'\n')
            break;
        any = true;
        if (c == Semicolon) {
            finishField();
        } else if (c == Quote && field.isEmpty()) {
            quoted = true;
        } else {
            field.append(c);
        }
        ++pos;
    }
    if (any)
        finishField();
    return skipLineEnd(text, pos);
}

} // namespace

QString textLine(const QStringList &cells)
{
    QString line;
    for (const QString &cell : cells) {
        line += cell.isEmpty() ? QStringLiteral(" ") : cell;
        line += Tab;
    }
    return line + LineEnd;
}

QList<QStringList> parseRows(QStringView text, int columns)
{
    QList<QStringList> rows;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const QStringView line = text.mid(pos, lineLength(text, pos));
        QStringList cells;
        if (line.startsWith(u"Nr")) {
            pos = skipLineEnd(text, pos + line.size());
            continue;
        }
        if (line.contains(Tab)) {
            cells = tabRow(line, columns);
            pos = skipLineEnd(text, pos + line.size());
        } else {
            pos = csvRow(text, pos, columns, cells);
        }
        while (cells.size() < columns)
            cells.append(QString());
        rows.append(cells);
    }
    return rows;
}

} // namespace ProtocolFormat
