#include "protocol/ProtocolFiles.h"

#include "platform/AnsiCodec.h"

#include <algorithm>

namespace ProtocolFormat {

namespace {

constexpr QChar Tab = u'\t';
constexpr QChar Semicolon = u';';
constexpr QChar Quote = u'"';
constexpr QChar Blank = u' ';

const QString LineEnd = QStringLiteral("\r\n");

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// Length of the physical line starting at pos, without its line end.
qsizetype lineLength(QStringView text, qsizetype pos)
{
    qsizetype end = pos;
    while (end < text.size() && !isLineBreak(text[end]))
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

// A cell for the text format: line breaks (CR LF counting as one) and TABs become blanks.
QString flatCell(const QString &cell)
{
    if (std::none_of(cell.cbegin(), cell.cend(), [](QChar c) { return c == Tab || isLineBreak(c); }))
        return cell;
    QString flat;
    flat.reserve(cell.size());
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const QChar c = cell[i];
        if (c == u'\r' && i + 1 < cell.size() && cell[i + 1] == u'\n')
            ++i;
        flat += (c == Tab || isLineBreak(c)) ? Blank : c;
    }
    return flat;
}

class Reader
{
public:
    Reader(QStringView text, int columns, ParseReport &report)
        : m_text(text)
        , m_columns(columns)
        , m_report(report)
    {
        for (qsizetype i = m_text.indexOf(Quote); i >= 0; i = m_text.indexOf(Quote, i)) {
            const qsizetype run = quoteRun(i);
            if (run % 2)
                m_lastOddRun = i;
            i += run;
        }
    }

    QStringList tabRow(QStringView line)
    {
        QStringList cells;
        qsizetype start = 0;
        while (start <= line.size() && cells.size() < m_columns) {
            qsizetype end = line.indexOf(Tab, start);
            if (end < 0) {
                // A final break starts no further piece.
                if (start < line.size() || cells.isEmpty())
                    cells.append(cell(line.mid(start)));
                break;
            }
            const QStringView piece = line.mid(start, end - start);
            cells.append(piece.isEmpty() ? QString(Blank) : cell(piece));
            // A run of TABs counts as one.
            while (end < line.size() && line[end] == Tab)
                ++end;
            start = end;
        }
        return cells;
    }

    // Reads one CSV record from pos, which may run over several physical lines inside quotes.
    // Returns the position after its line end; cells stays empty for an empty line.
    qsizetype csvRow(qsizetype pos, QStringList &cells)
    {
        QString field;
        bool fieldStart = true;
        bool any = false;
        auto finishField = [&] {
            if (cells.size() < m_columns)
                cells.append(capped(field));
            field.clear();
            fieldStart = true;
        };
        while (pos < m_text.size()) {
            const QChar c = m_text[pos];
            if (isLineBreak(c))
                break;
            any = true;
            if (c == Semicolon) {
                finishField();
                ++pos;
                continue;
            }
            if (c == Quote && fieldStart && quotedField(pos, field)) {
                fieldStart = false;
                continue;
            }
            fieldStart = false;
            append(field, c);
            ++pos;
        }
        if (any)
            finishField();
        if (!cells.isEmpty() && cells.constFirst().isEmpty())
            cells.first() = Blank;
        return skipLineEnd(m_text, pos);
    }

private:
    qsizetype quoteRun(qsizetype pos) const
    {
        qsizetype end = pos;
        while (end < m_text.size() && m_text[end] == Quote)
            ++end;
        return end - pos;
    }

    // The field opened by the quote at pos, when that quote closes before the end of the text and
    // its closing quote ends the field; pos then moves past the closing quote. Two quotes in a row
    // stand for one, so the field closes at the first run of an odd number of quotes after pos:
    // the last such run in the text says at once whether there is one, which keeps a text full of
    // unclosed quotes from being scanned to its end once per quote.
    bool quotedField(qsizetype &pos, QString &field)
    {
        const qsizetype following = quoteRun(pos + 1);
        if (following % 2 == 0 && m_lastOddRun <= pos + following)
            return false;
        QString value;
        qsizetype i = pos + 1;
        for (; i < m_text.size(); ++i) {
            if (m_text[i] == Quote) {
                if (i + 1 >= m_text.size() || m_text[i + 1] != Quote)
                    break;
                ++i;
            }
            append(value, m_text[i]);
        }
        const qsizetype after = i + 1;
        if (i >= m_text.size() ||
            (after < m_text.size() && m_text[after] != Semicolon && !isLineBreak(m_text[after])))
            return false;
        field = value;
        pos = after;
        return true;
    }

    // Collects up to one character more than a cell keeps, so that capped() sees the cut.
    static void append(QString &field, QChar c)
    {
        if (field.size() <= MaxCellLength)
            field += c;
    }

    QString capped(const QString &field)
    {
        if (field.size() <= MaxCellLength)
            return field;
        ++m_report.cutCells;
        return field.left(MaxCellLength);
    }

    QString cell(QStringView piece)
    {
        if (piece.size() <= MaxCellLength)
            return piece.toString();
        ++m_report.cutCells;
        return piece.left(MaxCellLength).toString();
    }

    QStringView m_text;
    int m_columns;
    ParseReport &m_report;
    qsizetype m_lastOddRun = -1; // where the last run of an odd number of quotes starts
};

void appendTextLine(QString &text, const QStringList &cells)
{
    for (const QString &cell : cells) {
        if (cell.isEmpty())
            text += Blank;
        else
            text += flatCell(cell);
        text += Tab;
    }
    text += LineEnd;
}

} // namespace

QString textLine(const QStringList &cells)
{
    QString line;
    appendTextLine(line, cells);
    return line;
}

QStringList headerCells(QStringView text, int columns)
{
    const QStringView line = text.mid(0, lineLength(text, 0));
    if (!line.startsWith(u"Nr"))
        return {};
    ParseReport ignored;
    Reader reader(line, columns, ignored);
    if (line.contains(Tab))
        return reader.tabRow(line);
    QStringList cells;
    reader.csvRow(0, cells);
    return cells;
}

QList<QStringList> parseRows(QStringView text, int columns, ParseReport *report)
{
    ParseReport counts;
    Reader reader(text, columns, counts);
    QList<QStringList> rows;
    int emptyLines = 0;     // not yet known to stand before an entry
    qsizetype keptText = 0; // characters in the cells kept
    qsizetype pos = 0;
    while (pos < text.size()) {
        const QStringView line = text.mid(pos, lineLength(text, pos));
        QStringList cells;
        if (line.startsWith(u"Nr")) {
            pos = skipLineEnd(text, pos + line.size());
            continue;
        }
        if (line.contains(Tab)) {
            cells = reader.tabRow(line);
            pos = skipLineEnd(text, pos + line.size());
        } else {
            pos = reader.csvRow(pos, cells);
        }
        if (cells.isEmpty()) {
            ++emptyLines;
            continue;
        }
        qsizetype rowText = 0;
        for (const QString &cell : std::as_const(cells))
            rowText += cell.size();
        if (rows.size() + emptyLines >= MaxRows || keptText + rowText > MaxText) {
            counts.cutShort = true;
            emptyLines = 0;
            break;
        }
        keptText += rowText;
        for (; emptyLines > 0; --emptyLines)
            rows.append(QStringList(columns, QString()));
        while (cells.size() < columns)
            cells.append(QString());
        rows.append(cells);
    }
    counts.ignoredEmptyLines = emptyLines;
    if (report)
        *report = counts;
    return rows;
}

QString csvLine(const QStringList &cells)
{
    QString line;
    for (qsizetype c = 0; c < cells.size(); ++c) {
        if (c > 0)
            line += Semicolon;
        const QString &cell = cells[c];
        const bool quote = std::any_of(cell.cbegin(), cell.cend(), [](QChar ch) {
            return ch == Semicolon || ch == Quote || isLineBreak(ch);
        });
        if (quote) {
            QString inner = cell;
            inner.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            line += Quote + inner + Quote;
        } else {
            line += cell;
        }
    }
    return line + LineEnd;
}

QByteArray textFile(const Table &table)
{
    QString text;
    text.reserve(table.size() * 64);
    for (const QStringList &row : table) {
        if (!row.isEmpty() && !row.constFirst().isEmpty())
            appendTextLine(text, row);
    }
    return toAnsi(text);
}

QByteArray csvFile(const Table &table)
{
    QString text;
    for (const QStringList &row : table)
        text += csvLine(row);
    return toAnsi(text);
}

Protocol readProtocol(QStringView text)
{
    Protocol protocol;
    protocol.header = headerCells(text, MaxColumns);
    const int columns = std::max(ColumnCount, int(protocol.header.size()));
    protocol.rows = parseRows(text, columns, &protocol.report);
    return protocol;
}

} // namespace ProtocolFormat
