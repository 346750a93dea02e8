#include "protocol/HtmlProtocol.h"
#include "protocol/ResultsTable.h"
#include "tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Results;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString testData(const char *name)
{
    return QStringLiteral(OMBREL_TEST_DATA "/protocol/") + QString::fromLatin1(name);
}

class HtmlProtocolTest : public ::testing::Test
{
protected:
    // rows: {Nr, Name, Pferd, Zeit, Platz}, in the order they are shown
    void load(const QList<QStringList> &rows)
    {
        table.resize(1);
        table.append(rows);
    }

    // The page's table rows, one string per entry.
    QStringList tableRows() const
    {
        const QStringList lines =
            HtmlProtocol::page(table, QStringLiteral("Ombrel")).split(QStringLiteral("\r\n"));
        const qsizetype first = lines.indexOf(QStringLiteral("</tr></thead>")) + 1;
        const qsizetype end = lines.indexOf(QStringLiteral("</table><FONT face=Arial size=4><B>"));
        return lines.mid(first, end - first);
    }

    ProtocolFormat::Table table{headerCaptions()};
};

} // namespace

TEST_F(HtmlProtocolTest, ThreeEntriesGiveTheGoldenPageByteForByte)
{
    load({{u"2"_qs, u"Anna Größer"_qs, u"Þokki"_qs, u"9,05"_qs, u"1"_qs},
          {u"1"_qs, u"Jürgen Bäcker"_qs, u"Sólfaxi"_qs, u"75,43"_qs, u"2"_qs},
          {u"3"_qs, u"Maria Müller"_qs, QString(), QString(), QString()}});
    const QByteArray golden = readFile(testData("three-entries.html"));
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(HtmlProtocol::pageBytes(table, QStringLiteral("Ombrel")), golden);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("protokoll.html"));
    QString error;
    ASSERT_TRUE(HtmlProtocol::write(path, table, QStringLiteral("Ombrel"), &error)) << error.toStdString();
    EXPECT_EQ(readFile(path), golden);
}

TEST_F(HtmlProtocolTest, CellsKeepTheirColumnsAndOnlyTheFirstCommaTurns)
{
    load({{u"1"_qs, u"Meier, Hans, jun."_qs, QString(), u"12,5,0"_qs, u" "_qs}});
    EXPECT_EQ(tableRows(),
              QStringList({u"<tr Align=Right><td Align=left>&nbsp;1<td Align=left>&nbsp;Meier. Hans, jun."
                           u"<td>&nbsp;<td>12.5,0&nbsp;<td> &nbsp;</tr>"_qs}));
}

TEST_F(HtmlProtocolTest, RunColumnsGetTheirCaptionsAndCells)
{
    table[0].append(u"1. Lauf"_qs);
    load({{u"1"_qs, u"A"_qs, u"B"_qs, u"12,50"_qs, u"1"_qs, u"12,50"_qs}});
    const QString page = HtmlProtocol::page(table, QStringLiteral("Ombrel"));
    EXPECT_TRUE(
        page.contains(u"<td width=5%><font color=#FFFFFF>Platz\r\n<td><font color=#FFFFFF>1. Lauf\r\n"_qs));
    EXPECT_TRUE(tableRows().constFirst().endsWith(u"<td>1&nbsp;<td>12.50&nbsp;</tr>"_qs));
}

TEST_F(HtmlProtocolTest, MarkupInCellsAndTitleIsEscaped)
{
    load({{u"1"_qs, u"<script>alert(1)</script>"_qs, u"Tom & \"Jerry\""_qs, u"9,05"_qs, u"1"_qs}});
    table[0][ColName] = u"<b>Name</b>"_qs;
    const QString page = HtmlProtocol::page(table, u"Ombrel <&>"_qs);
    EXPECT_FALSE(page.contains(u"<script>"_qs));
    EXPECT_FALSE(page.contains(u"<b>"_qs));
    EXPECT_TRUE(page.contains(u"<td Align=left>&nbsp;&lt;script&gt;alert(1)&lt;/script&gt;<td>"
                              u"Tom &amp; &quot;Jerry&quot;&nbsp;<td>9.05&nbsp;"_qs));
    EXPECT_TRUE(page.contains(u"<td width=30%><font color=#FFFFFF>&lt;b&gt;Name&lt;/b&gt;\r\n"_qs));
    EXPECT_TRUE(page.contains(u"<TITLE>Ombrel &lt;&amp;&gt;</TITLE>"_qs));
    EXPECT_TRUE(page.contains(u"<META name=keywords content=\"Ombrel &lt;&amp;&gt;\">"_qs));
    EXPECT_TRUE(page.contains(u" title=\"Ombrel &lt;&amp;&gt;\">"_qs));
}

TEST_F(HtmlProtocolTest, CharactersTheCodePageLacksSurviveAsReferences)
{
    // U+0141 and a horse from outside the basic plane; "ä" and the euro sign are in Windows-1252.
    load({{u"1"_qs, u"Łukasz Bär"_qs, u"\U0001F40E €"_qs, QString(), QString()}});
    const QByteArray bytes = HtmlProtocol::pageBytes(table, QStringLiteral("Ombrel"));
    EXPECT_TRUE(bytes.contains("&nbsp;&#321;ukasz B\xe4r<td>&#128014; \x80&nbsp;"));
    EXPECT_FALSE(bytes.contains('?'));
}

TEST_F(HtmlProtocolTest, AFailedWriteSaysWhy)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(HtmlProtocol::write(dir.filePath(u"fehlt/protokoll.html"_qs), table, u"Ombrel"_qs, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(u"fehlt/protokoll.html"_qs)));

    // A folder in the way of the file: the write fails and nothing else is touched.
    const QString blocked = dir.filePath(u"seite.html"_qs);
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_FALSE(HtmlProtocol::write(blocked, table, u"Ombrel"_qs));
    EXPECT_TRUE(QFileInfo(blocked).isDir());
}
