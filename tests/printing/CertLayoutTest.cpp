#include "printing/CertLayout.h"
#include "tests/TestSupport.h"

#include <QFontInfo>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

namespace {

TCertField sampleField()
{
    TCertField field;
    field.Enabled = true;
    field.Align = caRight;
    field.Left = -5;
    field.Top = 250;
    field.Text = u"Großer Preis €"_qs;
    field.FontName = u"Courier New"_qs;
    field.FontStyle = fsItalic | fsUnderline;
    field.FontSize = 36;
    field.FontColor = 0x00123456;
    return field;
}

qint32 intAt(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

} // namespace

TEST(CertLayout, RecordBytesRoundTrip)
{
    const TCertField field = sampleField();
    const QByteArray bytes = certFieldBytes(field);
    ASSERT_EQ(bytes.size(), CertFieldSize);
    EXPECT_EQ(bytes.at(0), 1);
    EXPECT_EQ(bytes.at(1), 2);
    EXPECT_EQ(bytes.mid(2, 2), QByteArray(2, '\0'));
    EXPECT_EQ(intAt(bytes, 4), -5);
    EXPECT_EQ(intAt(bytes, 8), 250);
    EXPECT_EQ(bytes.mid(12, 15), QByteArray("\x0E"
                                            "Gro\xDF"
                                            "er Preis \x80"));
    EXPECT_EQ(bytes.mid(27, 241), QByteArray(241, '\0'));
    EXPECT_EQ(bytes.mid(268, 12), QByteArray("\x0B"
                                             "Courier New"));
    EXPECT_EQ(bytes.at(524), 6);
    EXPECT_EQ(bytes.mid(525, 3), QByteArray(3, '\0'));
    EXPECT_EQ(intAt(bytes, 528), 36);
    EXPECT_EQ(quint32(intAt(bytes, 532)), 0x00123456u);
    EXPECT_EQ(certFieldFromBytes(bytes), field);

    QByteArray layout(CertLayoutSize, '\0');
    setCertField(layout, 17, field);
    EXPECT_EQ(layout.sliced(qsizetype(17) * CertFieldSize), bytes);
    EXPECT_EQ(certField(layout, 17), field);
    EXPECT_EQ(certField(layout, 16), TCertField());
}

TEST(CertLayout, DefaultsFillAnEmptyLayout)
{
    QByteArray layout(CertLayoutSize, '\0');
    EXPECT_EQ(completeCertLayout(layout), CertFieldCount);
    for (int kind = 0; kind < CertFieldCount; ++kind) {
        const TCertField field = certField(layout, kind);
        EXPECT_EQ(field.Enabled, kind < 8) << kind;
        EXPECT_EQ(field.Left, 30);
        EXPECT_EQ(field.Top, 16 * kind);
        EXPECT_EQ(field.Align, caLeft);
        EXPECT_EQ(field.FontName, u"Times New Roman"_qs);
        EXPECT_EQ(field.FontSize, 12);
        EXPECT_EQ(field.FontStyle, fsBold);
        EXPECT_EQ(field.FontColor, 0xFF000008u);
        EXPECT_TRUE(field.Text.isEmpty());
    }
    EXPECT_EQ(certKindCaption(0), u"Platz"_qs);
    EXPECT_EQ(certKindCaption(7), u"Dateiname"_qs);
    EXPECT_EQ(certKindCaption(8), u"1. Zeile"_qs);
    EXPECT_EQ(certKindCaption(17), u"10. Zeile"_qs);
    // A complete layout stays as it is.
    const QByteArray complete = layout;
    EXPECT_EQ(completeCertLayout(layout), 0);
    EXPECT_EQ(layout, complete);
}

TEST(CertLayout, TextsAreCutTo255InTheirStoredForm)
{
    const QString emoji = u"\U0001F40E"_qs; // one character, two UTF-16 units
    struct Case
    {
        QString written;
        QString readBack;
    };
    const Case cases[] = {
        {QString(300, u'ä'), QString(255, u'ä')},
        {QString(254, u'x') + u"€yz"_qs, QString(254, u'x') + u"€"_qs},
        {QString(254, u'x') + emoji + u"z"_qs, QString(254, u'x') + u"?"_qs},
        {QString(253, u'x') + emoji + u"z"_qs, QString(253, u'x') + u"?z"_qs},
    };
    for (const Case &c : cases) {
        TCertField field = sampleField();
        field.Text = c.written;
        field.FontName = c.written;
        const QByteArray bytes = certFieldBytes(field);
        EXPECT_EQ(static_cast<unsigned char>(bytes.at(12)), c.readBack.size());
        const TCertField back = certFieldFromBytes(bytes);
        EXPECT_EQ(back.Text, c.readBack);
        EXPECT_EQ(back.FontName, c.readBack);
        EXPECT_EQ(back.FontSize, 36); // nothing spills into the fields after the texts
    }
}

TEST(CertLayout, ImpossibleRecordsLoadAsTheDefaults)
{
    struct Case
    {
        const char *what;
        std::function<void(TCertField &)> change;
        bool usable;
    };
    const Case cases[] = {
        {"no font name", [](TCertField &f) { f.FontName.clear(); }, false},
        {"size 0", [](TCertField &f) { f.FontSize = 0; }, false},
        {"negative size", [](TCertField &f) { f.FontSize = -12; }, false},
        {"huge size", [](TCertField &f) { f.FontSize = 100000; }, false},
        {"align 3", [](TCertField &f) { f.Align = 3; }, false},
        {"align 255", [](TCertField &f) { f.Align = 255; }, false},
        {"colour with flag byte 1", [](TCertField &f) { f.FontColor = 0x01000000; }, false},
        {"system colour 31", [](TCertField &f) { f.FontColor = 0xFF00001F; }, false},
        {"clNone", [](TCertField &f) { f.FontColor = 0x1FFFFFFF; }, false},
        {"size 1", [](TCertField &f) { f.FontSize = 1; }, true},
        {"size 720", [](TCertField &f) { f.FontSize = 720; }, true},
        {"white", [](TCertField &f) { f.FontColor = 0x00FFFFFF; }, true},
        {"system colour 30", [](TCertField &f) { f.FontColor = 0xFF00001E; }, true},
    };
    const int kind = 9;
    for (const Case &c : cases) {
        TCertField field = sampleField();
        c.change(field);
        QByteArray layout(CertLayoutSize, '\0');
        completeCertLayout(layout);
        setCertField(layout, kind, field);
        setCertField(layout, kind + 1, sampleField());
        const TCertField expected = c.usable ? field : defaultCertField(kind);

        EXPECT_EQ(certPrintFields(layout)[kind].Font.pointSize(), expected.FontSize) << c.what;
        EXPECT_EQ(certPrintFields(layout)[kind].FontColor, expected.FontColor) << c.what;
        EXPECT_EQ(completeCertLayout(layout), c.usable ? 0 : 1) << c.what;
        EXPECT_EQ(certField(layout, kind), expected) << c.what;
        EXPECT_EQ(certField(layout, kind + 1), sampleField()) << c.what;
    }
}

TEST(CertLayout, StoredValueKeepsOnlyWholeRecords)
{
    QByteArray stored;
    for (int kind = 0; kind < CertFieldCount; ++kind)
        stored += certFieldBytes(sampleField());
    struct Case
    {
        int length;
        int kept;
    };
    for (const Case c :
         {Case{0, 0}, Case{535, 0}, Case{536, 1}, Case{536 + 300, 1}, Case{9647, 17}, Case{9648, 18}}) {
        QByteArray layout = certLayoutFromStored(QByteArrayView(stored).first(c.length));
        ASSERT_EQ(layout.size(), CertLayoutSize);
        EXPECT_EQ(completeCertLayout(layout), CertFieldCount - c.kept) << c.length;
        for (int kind = 0; kind < CertFieldCount; ++kind)
            EXPECT_EQ(certField(layout, kind), kind < c.kept ? sampleField() : defaultCertField(kind))
                << c.length << " " << kind;
    }
}

TEST(CertLayout, PrintFieldsCarryEverythingComposingNeeds)
{
    QByteArray layout(CertLayoutSize, '\0');
    completeCertLayout(layout);
    setCertField(layout, 12, sampleField());
    const auto fields = certPrintFields(layout);
    const CertPrintField &line = fields[12];
    EXPECT_EQ(line.Kind, 12);
    EXPECT_TRUE(line.Enabled);
    EXPECT_EQ(line.Left, -5);
    EXPECT_EQ(line.Top, 250);
    EXPECT_EQ(line.Align, caRight);
    EXPECT_EQ(line.Font.family(), u"Courier New"_qs);
    EXPECT_EQ(line.Font.pointSize(), 36);
    EXPECT_FALSE(line.Font.bold());
    EXPECT_TRUE(line.Font.italic());
    EXPECT_TRUE(line.Font.underline());
    EXPECT_FALSE(line.Font.strikeOut());
    EXPECT_EQ(line.FontColor, 0x00123456u);
    EXPECT_EQ(line.Text, u"Großer Preis €"_qs);
    EXPECT_EQ(fields[3].Kind, 3);
    EXPECT_TRUE(fields[3].Font.bold());
    EXPECT_EQ(fields[3].Top, 48);
}

TEST(CertLayout, WindowsFacesResolveToLiberationKeepingTheirNames)
{
    struct Case
    {
        QString stored;
        QString resolved;
    };
    for (const Case &c :
         {Case{u"Times New Roman"_qs, u"Liberation Serif"_qs}, Case{u"Courier New"_qs, u"Liberation Mono"_qs},
          Case{u"Arial"_qs, u"Liberation Sans"_qs}}) {
        TCertField field = defaultCertField(0);
        field.FontName = c.stored;
        const QFont font = certFieldFont(field);
        EXPECT_EQ(font.family(), c.stored);
        EXPECT_EQ(QFontInfo(font).family(), c.resolved);
    }
}
