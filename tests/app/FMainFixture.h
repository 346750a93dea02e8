#pragma once

#include "app/FMain.h"
#include "controls/ButtonWithColor.h"
#include "controls/Dmn_led.h"
#include "controls/SortGrid.h"
#include "controls/Udigit.h"
#include "platform/AnsiCodec.h"
#include "platform/AppPaths.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/TickCount.h"
#include "protocol/ResultsTable.h"
#include "settings/Cfg.h"
#include "settings/DlgYesNo.h"
#include "settings/Settings.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString testData(const char *name)
{
    return QStringLiteral(OMBREL_TEST_DATA "/app/") + QString::fromLatin1(name);
}

// The main window as the operator meets it, with time, sound and the desktop under the test's control.
class FMainTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        setProgramFilePath(dir.filePath(QStringLiteral("ombrel")));
        // An installed copy of the program on this machine must not lend the test its files.
        setInstalledDirs(dir.filePath(QStringLiteral("usr/bin")), dir.filePath(QStringLiteral("usr/share")));
        QFile::remove(settingsFilePath()); // each test starts without stored settings
        beforeForm();
        previousTicks = setTickSource([this] { return ticks.load(); });
        previousSound = setSoundPlayer([this](const QString &name) { sounds.append(name); });
        previousOpener = setUrlOpener([this](const QUrl &url) {
            opened.append(url);
            return true;
        });
        form = std::make_unique<TFormMain>();
        cfg = new TCfgDialog(form->settings(), form->PortMask, form.get());
        form->setCfgDialog(cfg);
        yesNo = new TFDlgYesNo(form.get());
        form->setYesNoDialog(yesNo);
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // What a test prepares before the window opens: stored settings, devices.
    virtual void beforeForm() {}

    void TearDown() override
    {
        form.reset();
        setTickSource(previousTicks);
        setSoundPlayer(previousSound);
        setUrlOpener(previousOpener);
        setProgramFilePath(QString());
        setInstalledDirs(QString(), QString());
    }

    void loadStartList(const char *name = "startlist-4.txt")
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile::copy(testData(name), path);
        loadFile(path);
    }

    // Loads a start list written by the test, through the open dialog as the operator would.
    void loadBytes(const QByteArray &bytes, const QString &name = QStringLiteral("list.txt"))
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        loadFile(path);
    }

    void loadFile(const QString &path)
    {
        form->execFileDialog = [&](QFileDialog &dialog) {
            dialog.selectFile(path);
            return int(QDialog::Accepted);
        };
        form->sbLoadClick();
    }

    // A key as the operator types it: to the widget that has the focus.
    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        QTest::keyClick(target ? target : form.get(), Qt::Key(k), modifiers);
    }

    QString laneDisplay(int lane) const
    {
        QString text;
        for (int i = 0; i < 5; ++i) {
            text += QString::number(form->Digit[lane][i]->Value());
            if (i == 2)
                text += u',';
        }
        return text;
    }

    QString cell(int col, int row) const { return form->SortGrid1->Cells(col, row); }

    QTemporaryDir dir;
    std::atomic<quint32> ticks = 100000; // also read by the serial wait threads
    QStringList sounds;
    QList<QUrl> opened;
    std::unique_ptr<TFormMain> form;
    TFDlgYesNo *yesNo = nullptr;
    TCfgDialog *cfg = nullptr;
    TickSource previousTicks;
    SoundPlayer previousSound;
    UrlOpener previousOpener;
};
