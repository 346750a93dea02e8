#include "settings/Settings.h"
#include "platform/AppPaths.h"
#include "tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A layout image whose every byte differs from its neighbours, so a shift or a cut shows.
QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + 1) % 256);
    return bytes;
}

class SettingsStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("Ombrel.ini"));
    }

    // Writes the file the way another run of the program leaves it: integers as plain text.
    void writeIni(const QByteArray &text)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(text), text.size());
    }

    // Adds one value through a QSettings of its own, as a byte array or a number.
    void addValue(const QString &name, const QVariant &value)
    {
        QSettings other(path, QSettings::IniFormat);
        other.setValue(name, value);
        other.sync();
        ASSERT_EQ(other.status(), QSettings::NoError);
    }

    Settings load()
    {
        Settings settings;
        SettingsFile file(path);
        loadSettings(settings, file);
        return settings;
    }

    QTemporaryDir dir;
    QString path;
};

void expectInitial(const Settings &s, int firstNotRead)
{
    // Index in load order: Port1, Port2, Line1, Line2, Alg1, Alg2, Left, Top, Width, Height, Nadpis,
    // FilterInd, Mode, Wertung, LivePort, LiveUpload, LiveUser. Values from firstNotRead on must hold
    // their initial values.
    const Settings initial;
    const bool same[] = {s.Port1 == initial.Port1,
                         s.Port2 == initial.Port2,
                         s.Line1 == initial.Line1,
                         s.Line2 == initial.Line2,
                         s.Alg1 == initial.Alg1,
                         s.Alg2 == initial.Alg2,
                         s.Left == initial.Left,
                         s.Top == initial.Top,
                         s.Width == initial.Width,
                         s.Height == initial.Height,
                         s.CertLayout == initial.CertLayout,
                         s.FilterInd == initial.FilterInd,
                         s.Mode == initial.Mode,
                         s.Wertung == initial.Wertung,
                         s.LivePort == initial.LivePort,
                         s.LiveUpload == initial.LiveUpload,
                         s.LiveUser == initial.LiveUser};
    for (int i = firstNotRead; i < int(std::size(same)); ++i)
        EXPECT_TRUE(same[i]) << "value " << i << " in load order was read after a failed read";
}

} // namespace

TEST_F(SettingsStore, FirstStartKeepsInitialValuesAndCreatesNothing)
{
    const Settings s = load();
    EXPECT_EQ(s.Port1, 0);
    EXPECT_EQ(s.Port2, 0);
    EXPECT_EQ(s.Line1, 0);
    EXPECT_EQ(s.Alg1, 0);
    EXPECT_EQ(s.Alg2, 0);
    EXPECT_FALSE(s.Left.has_value());
    EXPECT_FALSE(s.Top.has_value());
    EXPECT_EQ(s.Width, 808);
    EXPECT_EQ(s.Height, 542);
    EXPECT_EQ(s.CertLayout, QByteArray(CertLayoutSize, '\0'));
    EXPECT_EQ(s.FilterInd, 2); // HTML
    EXPECT_EQ(s.Mode, 1);      // "Passrennen"
    EXPECT_EQ(s.Wertung, 0);   // "Letzter Lauf zählt"
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(SettingsStore, RoundTripThroughAFreshFile)
{
    Settings s;
    s.Port1 = 3;
    s.Line1 = 1;
    s.Port2 = 8;
    s.Line2 = 0;
    s.Alg1 = 2;
    s.Alg2 = 1;
    s.Left = -8;
    s.Top = 40;
    s.Width = 1024;
    s.Height = 700;
    s.CertLayout = pattern(CertLayoutSize);
    s.FilterInd = 3;
    s.Mode = 0;
    s.Wertung = 1;
    s.LivePort = 8080;
    s.LiveUpload = u"https://verein.example/ergebnisse, live/"_qs;
    s.LiveUser = u"Zeitnahme"_qs;
    {
        SettingsFile file(path);
        EXPECT_EQ(writeSettings(s, file), QString());
    }

    // Qt keeps a parsed file cached per path and hands back the ints it was given; a copy under a new
    // name is parsed from disk as the next run does, where integers come back as text.
    const QString nextRun = dir.filePath(QStringLiteral("NextRun.ini"));
    ASSERT_TRUE(QFile::copy(path, nextRun));
    path = nextRun;
    QSettings raw(path, QSettings::IniFormat);
    ASSERT_EQ(raw.value(QStringLiteral("Port1")).typeId(), QMetaType::QString);
    EXPECT_EQ(raw.value(QStringLiteral("Port1")).toString(), u"259"_qs); // the line in bits 8-15
    EXPECT_EQ(raw.value(QStringLiteral("Port2")).toString(), u"8"_qs);
    EXPECT_EQ(raw.value(QStringLiteral("Nadpis")).toByteArray().size(), CertLayoutSize);

    const Settings back = load();
    EXPECT_EQ(back.Port1, 3);
    EXPECT_EQ(back.Line1, 1);
    EXPECT_EQ(back.Port2, 8);
    EXPECT_EQ(back.Line2, 0);
    EXPECT_EQ(back.Alg1, 2);
    EXPECT_EQ(back.Alg2, 1);
    EXPECT_EQ(back.Left, -8);
    EXPECT_EQ(back.Top, 40);
    EXPECT_EQ(back.Width, 1024);
    EXPECT_EQ(back.Height, 700);
    EXPECT_EQ(back.CertLayout, pattern(CertLayoutSize));
    EXPECT_EQ(back.FilterInd, 3);
    EXPECT_EQ(back.Mode, 0);
    EXPECT_EQ(back.Wertung, 1);
    EXPECT_EQ(back.LivePort, 8080);
    EXPECT_EQ(back.LiveUpload, s.LiveUpload);
    EXPECT_EQ(back.LiveUser, s.LiveUser);
}

TEST_F(SettingsStore, PortValuesCarryPortAndLine)
{
    // 0x0103: COM3 on CTS; 0x10201: COM1 with a hand-edited line 2 and a stray high bit.
    writeIni("[General]\nPort1=259\nPort2=66049\nAlg1=7\nAlg2=0\nLeft=4294967288\n");
    const Settings s = load();
    EXPECT_EQ(s.Port1, 3);
    EXPECT_EQ(s.Line1, 1);
    EXPECT_EQ(s.Port2, 1);
    EXPECT_EQ(s.Line2, 0); // never an index beyond LineSuffix/LineMask
    EXPECT_EQ(s.Alg1, 7);  // kept: a mode that never fires
    EXPECT_EQ(s.Left, -8); // an unsigned DWORD reads as the same 32 bits
    expectInitial(s, 7);   // "Top" is missing

    SettingsFile file(path);
    Settings written = s;
    written.Top = 0;
    ASSERT_EQ(writeSettings(written, file), QString());
    EXPECT_EQ(QSettings(path, QSettings::IniFormat).value(QStringLiteral("Port1")).toInt(), 0x0103);
}

TEST_F(SettingsStore, MissingValueEndsTheLoad)
{
    // Everything but "Port2": only Port1 survives, not even Line1, which is read after "Port2".
    writeIni("[General]\nPort1=259\nAlg1=2\nAlg2=2\nLeft=10\nTop=20\nWidth=900\nHeight=600\n"
             "FilterInd=1\nMode=0\n");
    const Settings s = load();
    EXPECT_EQ(s.Port1, 3);
    expectInitial(s, 1);
}

TEST_F(SettingsStore, WrongTypeEndsTheLoad)
{
    writeIni("[General]\nPort1=1\nPort2=2\nAlg1=1\nAlg2=abc\nLeft=10\nMode=0\n");
    Settings s = load();
    EXPECT_EQ(s.Port2, 2);
    EXPECT_EQ(s.Alg1, 1);
    expectInitial(s, 5);

    // A byte array and a list are no integers either.
    writeIni("[General]\nPort1=1\nPort2=2\nAlg1=1\nAlg2=1\nLeft=10\nTop=20\nMode=0\n");
    addValue(QStringLiteral("Width"), QByteArray("900"));
    s = load();
    EXPECT_EQ(s.Top, 20);
    expectInitial(s, 8);

    writeIni("[General]\nPort1=1\nPort2=2\nAlg1=1\nAlg2=1\nLeft=10\nTop=20\nWidth=1, 2\nMode=0\n");
    s = load();
    EXPECT_EQ(s.Top, 20);
    expectInitial(s, 8);
}

TEST_F(SettingsStore, LayoutImageOfOneRecordFillsRecordZero)
{
    // A record the value cuts short loads as never set up, so it gets the defaults, not half a font.
    for (const int length : {CertFieldSize, CertFieldSize + 300}) {
        writeIni("[General]\nPort1=1\nPort2=2\nAlg1=0\nAlg2=0\nLeft=1\nTop=2\nWidth=900\nHeight=600\n"
                 "FilterInd=3\nMode=0\n");
        addValue(QStringLiteral("Nadpis"), pattern(length));
        const Settings s = load();
        ASSERT_EQ(s.CertLayout.size(), CertLayoutSize);
        EXPECT_EQ(s.CertLayout.left(CertFieldSize), pattern(CertFieldSize)) << length;
        EXPECT_EQ(s.CertLayout.mid(CertFieldSize), QByteArray(CertLayoutSize - CertFieldSize, '\0'))
            << length;
        EXPECT_EQ(s.FilterInd, 3);
        EXPECT_EQ(s.Mode, 0);
    }
}

TEST_F(SettingsStore, LayoutImageTooLongOrNotBinaryEndsTheLoad)
{
    const QByteArray rest = "[General]\nPort1=1\nPort2=2\nAlg1=0\nAlg2=0\nLeft=1\nTop=2\nWidth=900\n"
                            "Height=600\nFilterInd=3\nMode=0\n";
    writeIni(rest);
    addValue(QStringLiteral("Nadpis"), pattern(CertLayoutSize + 1));
    Settings s = load();
    EXPECT_EQ(s.Height, 600);
    expectInitial(s, 10);

    writeIni(rest + "Nadpis=0\n");
    s = load();
    EXPECT_EQ(s.Height, 600);
    expectInitial(s, 10);

    // Missing is no failure: the values after it are read.
    writeIni(rest);
    s = load();
    EXPECT_EQ(s.CertLayout, QByteArray(CertLayoutSize, '\0'));
    EXPECT_EQ(s.FilterInd, 3);
    EXPECT_EQ(s.Mode, 0);
}

TEST_F(SettingsStore, RefusedWriteIsReportedByName)
{
    Settings s;
    s.Left = 0;
    s.Top = 0;

    // The operator reads German, never a library's English.
    const auto refusedAt = [](const QString &file) {
        return u"Die Einstellung 'Left' ließ sich nicht in %1 schreiben; sie und die Einstellungen nach ihr "
               u"sind nicht gespeichert."_qs.arg(file);
    };
    // A folder where no file can be created, even by root: the first value written is refused.
    SettingsFile refused(QStringLiteral("/proc/self/Ombrel.ini"));
    EXPECT_EQ(writeSettings(s, refused), refusedAt(refused.path()));

    // The file's place is taken by a folder: it cannot be opened for writing at all.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Ombrel.ini")));
    SettingsFile blocked(path);
    EXPECT_EQ(writeSettings(s, blocked), refusedAt(path));

    // A folder that cannot be made (its parent is a file) loses the settings just the same.
    const QString beneathFile = dir.filePath(QStringLiteral("plain/Ombrel.ini"));
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    SettingsFile unreachable(beneathFile);
    EXPECT_EQ(writeSettings(s, unreachable), refusedAt(beneathFile));
}

TEST_F(SettingsStore, ValueOutOfItsRangeLoadsAsItsInitialValue)
{
    const QByteArray before =
        "[General]\nPort1=1\nPort2=2\nAlg1=0\nAlg2=0\nLeft=1\nTop=2\nWidth=900\nHeight=600\n";
    const Settings initial;
    struct Case
    {
        QByteArray values;
        int filterInd, mode, wertung;
    };
    const Case cases[] = {
        {"FilterInd=3\nMode=99\nWertung=1\n", 3, initial.Mode, 1},
        {"FilterInd=1\nMode=0\nWertung=99\n", 1, 0, initial.Wertung},
        {"FilterInd=0\nMode=-1\nWertung=-1\n", initial.FilterInd, initial.Mode, initial.Wertung},
    };
    for (const Case &c : cases) {
        path = dir.filePath(QString::fromLatin1(c.values.toHex()) + u".ini"_qs); // Qt caches by path
        writeIni(before + c.values);
        const Settings s = load();
        EXPECT_EQ(s.FilterInd, c.filterInd) << c.values.constData();
        EXPECT_EQ(s.Mode, c.mode) << c.values.constData();
        EXPECT_EQ(s.Wertung, c.wertung) << c.values.constData();
    }
}

TEST(SettingsKey, FollowsTheProgramFileName)
{
    const ProgramPathScope exe(QStringLiteral("/opt/timer/Ombrel.exe"));
    EXPECT_EQ(SettingsKey(), u"\\Software\\Ombrel"_qs);
    EXPECT_TRUE(settingsFilePath().endsWith(u"/Ombrel.ini"));
    const ProgramPathScope bare(QStringLiteral("/opt/timer/Bahn2"));
    EXPECT_EQ(SettingsKey(), u"\\Software\\Bahn2"_qs);
}

TEST_F(SettingsStore, AFileThatCannotBeReadIsMovedAsideAndWrittenAfresh)
{
    struct Case
    {
        const char *name;
        std::function<void()> damage;
    };
    const Case cases[] = {
        {"an unclosed section", [&] { writeIni("[General\nLeft=10\nTop=20\n"); }},
        {"a folder in its place", [&] { ASSERT_TRUE(QDir(dir.path()).mkdir(u"Ombrel.ini"_qs)); }},
        {"an older damaged file beside it",
         [&] {
             writeIni("[General\n");
             QFile older(path + u".defekt"_qs);
             ASSERT_TRUE(older.open(QIODevice::WriteOnly));
         }},
        // Files that read, but not as the program's settings.
        {"random bytes", [&] { writeIni("\x93\xfe=\x01\x7f\n[\xc3\x28]\n\xa0%=\xff\nLeft=1\n"); }},
        {"no group the program writes", [&] { writeIni("[Fremd]\nPort1=1\nLeft=10\n"); }},
        {"a value that is not the program's", [&] { writeIni("[General]\nPort1=1\nFarbe=rot\n"); }},
        {"a junk line beyond any settings file",
         [&] { writeIni("[General]\nPort1=1\n;" + QByteArray(1 << 20, 'x') + '\n'); }},
    };
    for (const Case &c : cases) {
        c.damage();
        Settings s;
        SettingsFile file(path);
        const QString notice = loadSettings(s, file);
        expectInitial(s, 0);
        EXPECT_TRUE(notice.contains(QDir::toNativeSeparators(path + u".defekt"_qs))) << c.name;
        EXPECT_TRUE(QFileInfo(path + u".defekt"_qs).exists()) << c.name;
        EXPECT_FALSE(QFileInfo::exists(path)) << c.name;

        // The exit writes a fresh file, which the next start reads without a word.
        s.Left = 40;
        EXPECT_EQ(writeSettings(s, file), QString()) << c.name;
        Settings next;
        SettingsFile again(path);
        EXPECT_EQ(loadSettings(next, again), QString()) << c.name;
        EXPECT_EQ(next.Left, 40) << c.name;

        QFile::remove(path);
        QDir(path).removeRecursively();
        QFile::remove(path + u".defekt"_qs);
        QDir(path + u".defekt"_qs).removeRecursively();
    }
}
