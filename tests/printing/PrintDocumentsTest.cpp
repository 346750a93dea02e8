#include "printing/PrintDocuments.h"

#include "printing/CertLayout.h"
#include "tests/printing/PageRecorder.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace {

// The worked example: a printable area of 2000 x 2870 with margins 160, 60, 60, 60.
const QRect R(QPoint(160, 60), QPoint(1940, 2810));

ProtocolFormat::Table protocol(int entries, const QString &name = QStringLiteral("Anna Muster"))
{
    ProtocolFormat::Table cells(entries + 1);
    cells[0] = QStringList({QStringLiteral("Nr."), QStringLiteral("Name"), QStringLiteral("Pferd"),
                            QStringLiteral("Zeit"), QStringLiteral("Platz")});
    for (int i = 1; i <= entries; ++i)
        cells[i] = QStringList({QString::number(i), name, QStringLiteral("Pferd %1").arg(i % 7),
                                QStringLiteral("%1,%2").arg(20 + i % 5).arg(i % 100, 2, 10, QChar(u'0')),
                                QString::number(i)});
    return cells;
}

struct Composed
{
    PageRecorder recorder;
    ProtocolComposer composer;
    explicit Composed(const ProtocolFormat::Table &cells, const QRect &r = R)
        : composer(recorder, r, 96)
    {
        const ProtocolPrintData data{cells, QStringLiteral("Stutenprüfung"),
                                     QStringLiteral("08.12.26   10:15")};
        composer.ComposeProtocol(data);
        recorder.finish();
    }
};

// Liberation Mono, which stands in for Courier New, advances every character by 1229/2048 em.
qreal monoWidth(int chars, int size)
{
    return chars * canvasFontPixels(size, 96) * 1229.0 / 2048.0;
}

} // namespace

TEST(ComposeProtocol, ChoosesTheLargestTableFontThatStaysWithinFiveUnitsOfTheRightMargin)
{
    const ProtocolFormat::Table cells = protocol(3, QStringLiteral("Alexandra Zimmermann-Oberhuber"));
    Composed c(cells);
    // Widest texts per column: "Nr.", the name, " Pferd 3" (8: a horse prints after a blank),
    // "22,03" (5), "Platz" (5).
    const int widest[] = {3, 30, 8, 5, 5};
    auto tableRight = [&](int size) {
        qreal x = R.left();
        for (int chars : widest)
            x += qRound(monoWidth(chars, size)) + 10;
        return x;
    };
    const int size = c.composer.TableFontSize;
    ASSERT_GT(size, 1);
    EXPECT_LE(tableRight(size), R.right() + 5 + 2); // rounding of each column
    EXPECT_GT(tableRight(size + 1), R.right() + 5 - 2);
    EXPECT_EQ(c.composer.ColumnX[5], c.composer.ColumnX[4] + qRound(monoWidth(5, size)) + 10);
}

TEST(ComposeProtocol, PlacesHeaderFrameCaptionsAndEntriesByTheColumnRule)
{
    const ProtocolFormat::Table cells = protocol(3);
    Composed c(cells);
    ASSERT_EQ(c.recorder.pages().size(), 1u);
    const RecordedPage &page = c.recorder.pages()[0];
    const auto &x = c.composer.ColumnX;

    const RecordedText *title = page.find(QStringLiteral("Stutenprüfung"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->topLeft.y(), R.top());
    EXPECT_TRUE(title->font.bold());
    const qreal titleWidth = QFontMetricsF(title->font).horizontalAdvance(title->text);
    EXPECT_NEAR(title->topLeft.x() + titleWidth / 2, (R.left() + R.right()) / 2.0, 1);

    const RecordedText *date = page.find(QStringLiteral("08.12.26   10:15"));
    ASSERT_TRUE(date);
    EXPECT_NEAR(date->topLeft.x() + QFontMetricsF(date->font).horizontalAdvance(date->text), R.right(), 1);
    EXPECT_LT(date->topLeft.y(), R.top());

    const RecordedText *korvell = page.find(QStringLiteral("Korvell"));
    const RecordedText *pageNo = page.find(QStringLiteral("Seite: 1"));
    ASSERT_TRUE(korvell && pageNo);
    EXPECT_EQ(korvell->topLeft.x(), R.left());
    EXPECT_EQ(korvell->topLeft.y(), pageNo->topLeft.y());
    EXPECT_NEAR(pageNo->topLeft.x() + QFontMetricsF(pageNo->font).horizontalAdvance(pageNo->text), R.right(),
                1);

    // "Nr." and "Platz" end 5 units before their right line; the others start 5 after their left.
    const RecordedText *nr = page.find(QStringLiteral("2"));
    ASSERT_TRUE(nr);
    EXPECT_NEAR(nr->topLeft.x() + QFontMetricsF(nr->font).horizontalAdvance(u"2"_qs), x[1] - 5, 1);
    const RecordedText *name = page.findAll(QStringLiteral("Anna Muster")).at(1);
    EXPECT_EQ(name->topLeft.x(), x[1] + 5);
    EXPECT_EQ(name->topLeft.y(), nr->topLeft.y());
    EXPECT_TRUE(page.find(QStringLiteral(" Pferd 2"))) << "entries of the horse column start with a blank";
    EXPECT_TRUE(page.find(QStringLiteral("Pferd"))) << "the caption does not";

    // A line at each column's left, none at the table's right end; frame and caption box.
    for (int col = 0; col < 5; ++col)
        EXPECT_TRUE(std::any_of(page.lines.begin(), page.lines.end(), [&](const QLineF &l) {
            return l.x1() == x[col] && l.x2() == x[col];
        })) << col;
    EXPECT_FALSE(
        std::any_of(page.lines.begin(), page.lines.end(), [&](const QLineF &l) { return l.x1() == x[5]; }));
    EXPECT_TRUE(std::any_of(page.rects.begin(), page.rects.end(), [&](const QRectF &r) {
        return r.left() == R.left() && r.right() == R.right() && r.bottom() == korvell->topLeft.y();
    }));
}

TEST(ComposeProtocol, BreaksPagesWithFreshHeadersAndEndsWithTheTotals)
{
    const ProtocolFormat::Table cells = protocol(150);
    Composed c(cells);
    const auto &pages = c.recorder.pages();
    ASSERT_GE(pages.size(), 2u);
    int entries = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        const RecordedPage &page = pages[i];
        const RecordedText *footer = page.find(QStringLiteral("Seite: %1").arg(i + 1));
        ASSERT_TRUE(footer) << "page " << i + 1;
        EXPECT_TRUE(page.find(QStringLiteral("Platz"))) << "captions on page " << i + 1;
        const qreal rowHeight = QFontMetricsF(page.find(QStringLiteral("Platz"))->font).height();
        for (const RecordedText &t : page.texts) {
            if (!t.text.startsWith(u" Pferd"))
                continue;
            ++entries;
            if (i + 1 < pages.size()) { // the totals line may reach below the frame on the last page
                EXPECT_LT(t.topLeft.y(), footer->topLeft.y() - rowHeight + 1);
            }
        }
    }
    EXPECT_EQ(entries, 150);

    const RecordedPage &last = pages.back();
    const RecordedText *total = last.find(QStringLiteral(" Gesamt:"));
    ASSERT_TRUE(total);
    EXPECT_TRUE(total->font.bold());
    EXPECT_EQ(total->topLeft.x(), c.composer.ColumnX[1]);
    const RecordedText *count = last.find(QStringLiteral("150 "));
    ASSERT_TRUE(count);
    EXPECT_NEAR(count->topLeft.x() + QFontMetricsF(count->font).horizontalAdvance(count->text),
                c.composer.ColumnX[2], 1);
    EXPECT_TRUE(last.find(QStringLiteral("7"))) << "seven distinct horses";
    const RecordedText *times = last.find(QStringLiteral(" 100"));
    ASSERT_TRUE(times) << "100 distinct times";
    EXPECT_EQ(times->topLeft.x(), c.composer.ColumnX[3] + 5);
}

TEST(ComposeProtocol, ATableTooWideForEverySizeGivesOnePageThatSaysSo)
{
    Composed c(protocol(2, QString(3000, u'W')));
    ASSERT_EQ(c.recorder.pages().size(), 1u);
    EXPECT_EQ(c.composer.TableFontSize, 0);
    const RecordedPage &page = c.recorder.pages()[0];
    EXPECT_TRUE(page.find(QStringLiteral("Stutenprüfung")));
    EXPECT_TRUE(std::any_of(page.texts.begin(), page.texts.end(),
                            [](const RecordedText &t) { return t.text.contains(u"zu breit"); }));
}

TEST(ComposeProtocol, APageTooSmallForARowStillPlacesOneRowPerPage)
{
    const QRect tiny(QPoint(160, 60), QPoint(1940, 200));
    Composed c(protocol(4), tiny);
    const auto &pages = c.recorder.pages();
    ASSERT_EQ(pages.size(), 4u);
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_TRUE(pages[i].find(QStringLiteral(" Pferd %1").arg(i + 1))) << i;
}

namespace {

QByteArray layoutWith(std::initializer_list<std::pair<int, TCertField>> fields)
{
    QByteArray layout(CertLayoutSize, '\0');
    for (int kind = 0; kind < CertFieldCount; ++kind) {
        TCertField off = defaultCertField(kind);
        off.Enabled = false;
        setCertField(layout, kind, off);
    }
    for (const auto &[kind, field] : fields)
        setCertField(layout, kind, field);
    return layout;
}

TCertField placed(int kind, int left, int top, int align, const QString &text = QString())
{
    TCertField field = defaultCertField(kind);
    field.Enabled = true;
    field.Left = left;
    field.Top = top;
    field.Align = align;
    field.Text = text;
    return field;
}

qreal advance(const RecordedText &t)
{
    return QFontMetricsF(t.font).horizontalAdvance(t.text);
}

} // namespace

TEST(ComposeCertificates, PlacesFieldsAtTheirMillimetresByAlignment)
{
    const ProtocolFormat::Table cells = protocol(5);
    QByteArray layout =
        layoutWith({{ckMannschaft, placed(ckMannschaft, 100, 50, caLeft)},
                    {ckLand, placed(ckLand, 100, 80, caCenter)},
                    {ckFirstLine, placed(ckFirstLine, 100, 110, caRight, QStringLiteral("Urkunde"))}});
    PageRecorder recorder;
    ComposeCertificates(recorder, layout, {cells, QStringLiteral("Liste"), QDate(2026, 12, 8), 1, 1}, 96);
    recorder.finish();
    ASSERT_EQ(recorder.pages().size(), 1u);
    const RecordedPage &page = recorder.pages()[0];

    const RecordedText *name = page.find(QStringLiteral("Anna Muster"));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->topLeft, QPointF(1000, 500));
    // A 12-point field is 12 * 2.54 = 30 (rounded) canvas units, 40 page units high at 96 dpi.
    EXPECT_EQ(name->font.pixelSize(), 40);
    const RecordedText *horse = page.find(QStringLiteral("Pferd 1"));
    ASSERT_TRUE(horse);
    EXPECT_NEAR(horse->topLeft.x() + advance(*horse) / 2, 1000, 1);
    EXPECT_EQ(horse->topLeft.y(), 800);
    const RecordedText *line = page.find(QStringLiteral("Urkunde"));
    ASSERT_TRUE(line);
    EXPECT_NEAR(line->topLeft.x() + advance(*line), 1000, 1);
    EXPECT_EQ(page.texts.size(), 3u) << "fields that are off print nothing";
}

TEST(ComposeCertificates, OnePagePerRowOfTheRangeInGridOrder)
{
    const ProtocolFormat::Table cells = protocol(6);
    QByteArray layout = layoutWith(
        {{ckMannschaft, placed(ckMannschaft, 30, 30, caLeft)}, {ckLand, placed(ckLand, 30, 50, caLeft)}});
    PageRecorder recorder;
    ComposeCertificates(recorder, layout, {cells, QString(), QDate(2026, 12, 8), 3, 5}, 96);
    recorder.finish();
    ASSERT_EQ(recorder.pages().size(), 3u);
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(recorder.pages()[k].find(QStringLiteral("Pferd %1").arg(3 + k))) << "page " << k + 1;
    // The data fields keep the texts of the last certificate, as the stored layout shows them.
    EXPECT_EQ(certField(layout, ckLand).Text, QStringLiteral("Pferd 5"));

    PageRecorder none;
    QByteArray allOff = layoutWith({});
    ComposeCertificates(none, allOff, {cells, QString(), QDate(2026, 12, 8), 2, 4}, 96);
    none.finish();
    ASSERT_EQ(none.pages().size(), 3u) << "an empty page per entry";
    EXPECT_TRUE(none.pages()[1].texts.empty());
}

TEST(ComposeCertificates, FieldTextsByKind)
{
    ProtocolFormat::Table cells = protocol(3);
    cells[2][3] = QString();
    // Rider 3 has every run kept: the best and the mean count only the valid ones, and a number no
    // lane display shows is no run.
    const QStringList runs{u"12,00"_qs, u"0,00"_qs, u"9e16"_qs, u"12,35"_qs, u"1e17"_qs, u"10000,00"_qs};
    for (qsizetype r = 0; r < cells.size(); ++r)
        cells[r] += QStringList(runs.size(), QString());
    for (int i = 0; i < runs.size(); ++i)
        cells[0][5 + i] = QString::number(i + 1) + u". Lauf"_qs;
    cells[3] = cells[3].mid(0, 5) + runs;
    const CertificatePrintData data{cells, QStringLiteral("Stutenprüfung"), QDate(2026, 12, 8), 1, 3};
    struct Case
    {
        int kind, row;
        QString expected;
    };
    const Case cases[] = {
        {ckPlatz, 1, QStringLiteral("1")},
        {ckKreis, 1, QStringLiteral("21,01")},
        {ckBestzeit, 1, QStringLiteral("21,01 sek.")},
        {ckDurchschnitt, 1, QStringLiteral("21,01 sek.")},
        {ckBestzeit, 2, QString()}, // no time: nothing, not a lone " sek."
        {ckDurchschnitt, 2, QString()},
        {ckBestzeit, 3, QStringLiteral("12,00 sek.")},
        {ckDurchschnitt, 3, QStringLiteral("12,18 sek.")},
        {ckDatum, 1, QStringLiteral("08.12.2026")},
        {ckDateiname, 1, QStringLiteral("Stutenprüfung")},
        {ckFirstLine + 3, 1, QStringLiteral("own")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(certificateText(c.kind, data, c.row, QStringLiteral("own")), c.expected) << c.kind;
}
