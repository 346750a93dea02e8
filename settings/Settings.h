#pragma once

#include "printing/CertLayout.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <memory>
#include <optional>

class QSettings;
class QWidget;

// Indexed by Line1/Line2: 0 the DSR line (contact between pins 4 and 6), 1 the CTS line (pins 7 and 8).
// The load turns any other stored line into 0, so the index is always 0 or 1.
inline constexpr std::array<QStringView, 2> LineSuffix = {u" /4,6", u" /7,8"};

// The values that persist between runs. Construction gives the initial values of the settings
// table; the load overwrites what it could read.
struct Settings
{
    Settings();

    // The START (1) and STOPP (2) inputs: port COMn, 0 = none; line 0 DSR, 1 CTS; contact mode
    // 0 "Ein", 1 "Aus", 2 "Wechseln", kept as read even when out of range (such a mode never fires).
    int Port1;
    int Port2;
    int Line1;
    int Line2;
    int Alg1;
    int Alg2;

    // The main window's outer bounds; without a place the window stays where the desktop put it.
    std::optional<int> Left;
    std::optional<int> Top;
    int Width;
    int Height;

    // Always CertLayoutSize bytes, stored as "Nadpis"; a record the stored value cuts short loads as
    // never set up, so the settings dialog gives it the defaults.
    QByteArray CertLayout;
    int FilterInd;    // save dialog's file type: 1 CSV, 2 HTML, 3 text
    int Mode;         // item of cbMode: 0 "Passprufüng", 1 "Passrennen"
    int Wertung;      // 0 "Letzter Lauf zählt", 1 "Bester Lauf zählt"; anything else scores as 0
    int Anzeigetafel; // the scoreboard's screen: 0 off, n the n-th screen of the desktop

    // Live results: the port of the pages on the local network (0 = off), and the WebDAV folder the
    // pages are uploaded to with its user. The password is kept in the desktop's password store.
    int LivePort;
    QString LiveUpload;
    QString LiveUser;
};

// The longest text a text setting keeps.
inline constexpr int MaxTextSetting = 1000;

// "\Software\" and the program file's name without folder and extension: renaming the program file
// starts from fresh settings.
QString SettingsKey();

// The per-user INI file that stands for SettingsKey.
QString settingsFilePath();

// One settings key as a per-user INI file, with the read and write behaviours the load and save rely on.
// Integers come back from the file as text, so every read parses; a value is "of the wrong type" when it
// does not parse as a 32-bit number (integers) or is not a byte array (binary values).
class SettingsFile
{
public:
    explicit SettingsFile(QString path);
    ~SettingsFile();
    SettingsFile(const SettingsFile &) = delete;
    SettingsFile &operator=(const SettingsFile &) = delete;

    QString path() const { return m_path; }

    // Without canCreate, fails when the file does not exist or cannot be read; with it, makes the folder.
    bool openKey(bool canCreate);
    void closeKey();

    // Every value of the file; a value in a group other than the one written is named "<group>/<name>".
    QStringList valueNames() const;
    // Fails when the value is missing or not an integer.
    bool readInteger(const QString &name, qint32 &value) const;
    // Fails when the value is missing or not a single text.
    bool readText(const QString &name, QString &value) const;
    // Reads into the whole of buffer: a missing value reads nothing and succeeds, a shorter one fills
    // the start; a longer one or one that is not binary fails and leaves buffer alone. length, when
    // given, receives the number of bytes read.
    bool readBinary(const QString &name, QByteArray &buffer, qsizetype *length = nullptr) const;
    // Each write reaches the disk before it returns, so a failure names the value that was refused.
    bool writeInteger(const QString &name, qint32 value);
    bool writeBinary(const QString &name, const QByteArray &bytes);
    bool writeText(const QString &name, const QString &text);

private:
    bool commit();

    QString m_path;
    std::unique_ptr<QSettings> m_settings;
};

// Reads the values in table order; the first read that fails ends the load silently, keeping what
// was read before it. A value out of its range reads as its initial value. A missing file reads nothing.
// A file that is there but cannot be read at all would refuse every later write as well, and one that is
// not the program's (values it never writes, none of its own, larger than it ever writes) would stay in
// the way for ever: either is moved aside as "<name>.defekt" and the load keeps the initial values; the
// returned text then tells the operator (empty otherwise).
QString loadSettings(Settings &settings, SettingsFile &file);

// Writes every value. Returns a German text naming the first value whose write fails, after which
// nothing more is written, and empty on success. A file that cannot be created fails the first
// write, so lost settings never go unnoticed.
QString writeSettings(const Settings &settings, SettingsFile &file);

// writeSettings, with a failure shown in an error box over parent.
void saveSettings(const Settings &settings, SettingsFile &file, QWidget *parent);
