#include "platform/AppPaths.h"

#include "tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A build folder holding the program and a data folder as the package installs it.
class AppPathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(u"build"_qs));
        ASSERT_TRUE(QDir(root.path()).mkpath(u"usr/bin"_qs));
        ASSERT_TRUE(QDir(root.path()).mkpath(u"usr/share/ombrel"_qs));
    }

    QString buildDir() const { return root.filePath(u"build"_qs); }
    QString dataDir() const { return root.filePath(u"usr/share/ombrel"_qs); }

    static void touch(const QString &path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir root;
    ProgramPathScope program{buildDir() + u"/ombrel"_qs};
    InstalledDirsScope installed{root.filePath(u"usr/bin"_qs), dataDir()};
};

struct Lookup
{
    const char *name;
    bool besideProgram;
    bool inDataFolder;
    const char *expectedFolder; // "build", "data" or "" for not found
};

void PrintTo(const Lookup &lookup, std::ostream *os)
{
    *os << lookup.name;
}

class ShippedFileLookup : public AppPathsTest, public ::testing::WithParamInterface<Lookup>
{};

} // namespace

TEST_P(ShippedFileLookup, BesideTheProgramFirstThenTheDataFolder)
{
    const Lookup &c = GetParam();
    const QString name = u"ombrel.html"_qs;
    if (c.besideProgram)
        touch(buildDir() + u'/' + name);
    if (c.inDataFolder)
        touch(dataDir() + u'/' + name);

    const QString expected = QString::fromLatin1(c.expectedFolder);
    const QString wanted = expected.isEmpty()        ? QString()
                           : expected == u"build"_qs ? buildDir() + u'/' + name
                                                     : dataDir() + u'/' + name;
    EXPECT_EQ(shippedFilePath(name), wanted);
}

INSTANTIATE_TEST_SUITE_P(AppPaths, ShippedFileLookup,
                         ::testing::Values(Lookup{"Both", true, true, "build"},
                                           Lookup{"BuildFolderOnly", true, false, "build"},
                                           Lookup{"Installed", false, true, "data"},
                                           Lookup{"Nowhere", false, false, ""}),
                         [](const auto &param) { return std::string(param.param.name); });

TEST_F(AppPathsTest, AFolderOfTheSameNameIsNoShippedFile)
{
    ASSERT_TRUE(QDir(buildDir()).mkdir(u"4.wav"_qs));
    touch(dataDir() + u"/4.wav"_qs);
    EXPECT_EQ(shippedFilePath(u"4.wav"_qs), dataDir() + u"/4.wav"_qs);
}

TEST_F(AppPathsTest, SavesStayBesideTheProgramInAWritableBuildFolder)
{
    EXPECT_EQ(writablePath(programSiblingPath(u".txt"_qs)), buildDir() + u"/ombrel.txt"_qs);
}

TEST_F(AppPathsTest, TheInstalledProgramFolderIsNeverWrittenEvenWhenItCouldBe)
{
    // As root the program's folder is writable, yet it belongs to the package manager.
    const ProgramPathScope installedProgram(root.filePath(u"usr/bin/ombrel"_qs));
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    EXPECT_EQ(writablePath(programSiblingPath(u".txt"_qs)), dataFolder + u"/ombrel.txt"_qs);
    EXPECT_EQ(writablePath(programSiblingPath(u"-Laeufe.log"_qs)), dataFolder + u"/ombrel-Laeufe.log"_qs);
    EXPECT_TRUE(QFileInfo(dataFolder).isDir());
}
