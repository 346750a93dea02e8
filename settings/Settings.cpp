#include "settings/Settings.h"

#include "controls/MessageBox.h"
#include "platform/AppPaths.h"
#include "platform/Brand.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <limits>
#include <variant>
#include <vector>

namespace {

// Which part of a stored integer a setting occupies. "Port1" and "Port2" each carry a port number in
// bits 0-7 and a line number in bits 8-15.
enum class Slice {
    Whole,
    PortByte, // bits 0-7
    LineByte, // bits 8-15; anything but 0 or 1 reads as 0
};

using Field = std::variant<int Settings::*, std::optional<int> Settings::*, QByteArray Settings::*,
                           QString Settings::*>;

struct SettingRow
{
    QStringView name; // the stored value
    Field field;
    Slice slice;
    int initial;      // integers only; an absent place has none, the layout starts all zero, texts empty
    int savePosition; // 1 is written first; 0 for a row whose value an earlier row writes
    // A stored value outside loads as the initial one: a mode no box item stands for would be saved
    // back as no choice at all.
    int lowest = std::numeric_limits<int>::min();
    int highest = std::numeric_limits<int>::max();
};

// Every persistent setting, in load order. The load stops at the first failing read, so the order
// decides what survives a damaged file: a key with "Port1" but no "Port2" keeps Port1 but not Line1.
const SettingRow SettingsTable[] = {
    {u"Port1", &Settings::Port1, Slice::PortByte, 0, 5},
    {u"Port2", &Settings::Port2, Slice::PortByte, 0, 6},
    {u"Port1", &Settings::Line1, Slice::LineByte, 0, 0},
    {u"Port2", &Settings::Line2, Slice::LineByte, 0, 0},
    {u"Alg1", &Settings::Alg1, Slice::Whole, 0, 7},
    {u"Alg2", &Settings::Alg2, Slice::Whole, 0, 8},
    {u"Left", &Settings::Left, Slice::Whole, 0, 1},
    {u"Top", &Settings::Top, Slice::Whole, 0, 2},
    {u"Width", &Settings::Width, Slice::Whole, 808, 3},
    {u"Height", &Settings::Height, Slice::Whole, 542, 4},
    {u"Nadpis", &Settings::CertLayout, Slice::Whole, 0, 9},
    {u"FilterInd", &Settings::FilterInd, Slice::Whole, 2, 10, 1, 3},
    {u"Mode", &Settings::Mode, Slice::Whole, 1, 11, 0, 1},
    {u"Wertung", &Settings::Wertung, Slice::Whole, 0, 12, 0, 1},
    {u"Anzeigetafel", &Settings::Anzeigetafel, Slice::Whole, 0, 13, 0},
    {u"LivePort", &Settings::LivePort, Slice::Whole, 0, 14, 0, 65535},
    {u"LiveUpload", &Settings::LiveUpload, Slice::Whole, 0, 15},
    {u"LiveUser", &Settings::LiveUser, Slice::Whole, 0, 16},
};

// Larger than any file the program writes: the layout with every byte escaped to at most four
// characters, the texts with every character escaped to at most six, a dozen numbers and the group
// line. A bigger file is not the program's own, and reading it would cost every start and every
// write at the exit its whole size.
constexpr qint64 LargestSettingsFile = 4 * qint64(CertLayoutSize) + qint64(2 * 6) * MaxTextSetting + 1024;

template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

int fromStored(qint32 stored, Slice slice)
{
    const auto bits = quint32(stored);
    switch (slice) {
    case Slice::Whole: return stored;
    case Slice::PortByte: return int(bits & 0xFF);
    case Slice::LineByte: {
        const int line = int((bits >> 8) & 0xFF);
        return line == 1 ? 1 : 0;
    }
    }
    return 0;
}

quint32 toStored(int value, Slice slice)
{
    switch (slice) {
    case Slice::Whole: return quint32(value);
    case Slice::PortByte: return quint32(value) & 0xFF;
    case Slice::LineByte: return (quint32(value) & 0xFF) << 8;
    }
    return 0;
}

// The integer stored under name: every row of that name contributes its slice.
qint32 storedInteger(const Settings &settings, QStringView name)
{
    quint32 bits = 0;
    for (const SettingRow &row : SettingsTable) {
        if (row.name != name)
            continue;
        std::visit(Overloaded{
                       [&](int Settings::*f) { bits |= toStored(settings.*f, row.slice); },
                       [&](std::optional<int> Settings::*f) {
                           // The main window fills its bounds before saving; 0 only guards a forgotten one.
                           bits |= toStored((settings.*f).value_or(0), row.slice);
                       },
                       [](QByteArray Settings::*) {},
                       [](QString Settings::*) {},
                   },
                   row.field);
    }
    return qint32(bits);
}

bool readRow(const SettingRow &row, Settings &settings, const SettingsFile &file)
{
    const QString name = row.name.toString();
    return std::visit(Overloaded{
                          [&](int Settings::*f) {
                              qint32 value = 0;
                              if (!file.readInteger(name, value))
                                  return false;
                              const int stored = fromStored(value, row.slice);
                              settings.*f =
                                  stored < row.lowest || stored > row.highest ? row.initial : stored;
                              return true;
                          },
                          [&](std::optional<int> Settings::*f) {
                              qint32 value = 0;
                              if (!file.readInteger(name, value))
                                  return false;
                              settings.*f = fromStored(value, row.slice);
                              return true;
                          },
                          [&](QByteArray Settings::*f) {
                              QByteArray stored(CertLayoutSize, '\0');
                              qsizetype length = 0;
                              if (!file.readBinary(name, stored, &length))
                                  return false;
                              settings.*f = certLayoutFromStored(QByteArrayView(stored).first(length));
                              return true;
                          },
                          [&](QString Settings::*f) {
                              QString text;
                              if (!file.readText(name, text))
                                  return false;
                              settings.*f = text.size() > MaxTextSetting ? QString() : text;
                              return true;
                          },
                      },
                      row.field);
}

QString failedToSet(QStringView name, const QString &path)
{
    return QStringLiteral("Die Einstellung '%1' ließ sich nicht in %2 schreiben; sie und die Einstellungen "
                          "nach ihr sind nicht gespeichert.")
        .arg(name, QDir::toNativeSeparators(path));
}

// Only the program's own values, in the group it writes: a file of anything else is not its settings,
// and its strange groups would stay in the file at every save.
bool holdsOwnValuesOnly(const SettingsFile &file)
{
    const QStringList names = file.valueNames();
    return !names.isEmpty() && std::all_of(names.cbegin(), names.cend(), [](const QString &name) {
        return std::any_of(std::cbegin(SettingsTable), std::cend(SettingsTable),
                           [&](const SettingRow &row) { return row.name == name; });
    });
}

// Keeps a damaged settings file for a look by hand and frees its place for a fresh one.
QString moveAside(const QString &path)
{
    const QString aside = path + QStringLiteral(".defekt");
    const QFileInfo older(aside);
    if (older.isDir())
        QDir(aside).removeRecursively();
    else if (older.exists() || older.isSymLink())
        QFile::remove(aside);
    const QString shown = QDir::toNativeSeparators(path);
    if (!QDir().rename(path, aside))
        return QStringLiteral("Die Einstellungsdatei %1 ist nicht lesbar und lässt sich nicht beiseitelegen; "
                              "es gelten die Grundeinstellungen.")
            .arg(shown);
    return QStringLiteral("Die Einstellungsdatei %1 war nicht lesbar und liegt jetzt als %2 daneben; "
                          "es gelten die Grundeinstellungen, beim Beenden wird eine neue geschrieben.")
        .arg(shown, QDir::toNativeSeparators(aside));
}

} // namespace

Settings::Settings()
{
    for (const SettingRow &row : SettingsTable) {
        std::visit(Overloaded{
                       [&](int Settings::*f) { this->*f = row.initial; },
                       [&](std::optional<int> Settings::*f) { this->*f = std::nullopt; },
                       [&](QByteArray Settings::*f) { this->*f = QByteArray(CertLayoutSize, '\0'); },
                       [&](QString Settings::*f) { this->*f = QString(); },
                   },
                   row.field);
    }
}

QString SettingsKey()
{
    return QStringLiteral("\\Software\\") + QFileInfo(programFilePath()).completeBaseName();
}

QString settingsFilePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return folder + u'/' + QFileInfo(programFilePath()).completeBaseName() + QStringLiteral(".ini");
}

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{}

SettingsFile::~SettingsFile() = default;

bool SettingsFile::openKey(bool canCreate)
{
    closeKey();
    const QFileInfo info(m_path);
    if (canCreate) {
        if (!QDir().mkpath(info.absolutePath()))
            return false;
    } else if (!info.isFile() || !info.isReadable()) {
        return false;
    }
    m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
    if (m_settings->status() != QSettings::NoError) {
        m_settings.reset();
        return false;
    }
    return true;
}

QStringList SettingsFile::valueNames() const
{
    return m_settings ? m_settings->allKeys() : QStringList();
}

void SettingsFile::closeKey()
{
    m_settings.reset();
}

bool SettingsFile::readInteger(const QString &name, qint32 &value) const
{
    if (!m_settings)
        return false;
    const QVariant stored = m_settings->value(name);
    switch (stored.typeId()) {
    case QMetaType::QString:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: break;
    default: return false; // missing, a byte array, a list ("1, 2" in the file)
    }
    bool ok = false;
    const qlonglong number = stored.toString().trimmed().toLongLong(&ok, 10);
    // A DWORD written by another tool may have been stored unsigned; both read as the same 32 bits.
    if (!ok || number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<quint32>::max())
        return false;
    value = qint32(quint32(number));
    return true;
}

bool SettingsFile::readText(const QString &name, QString &value) const
{
    if (!m_settings)
        return false;
    const QVariant stored = m_settings->value(name);
    if (stored.typeId() != QMetaType::QString)
        return false; // missing, a byte array, a list
    value = stored.toString();
    return true;
}

bool SettingsFile::readBinary(const QString &name, QByteArray &buffer, qsizetype *length) const
{
    if (length)
        *length = 0;
    if (!m_settings)
        return false;
    const QVariant stored = m_settings->value(name);
    if (!stored.isValid())
        return true;
    if (stored.typeId() != QMetaType::QByteArray)
        return false;
    const QByteArray bytes = stored.toByteArray();
    if (bytes.size() > buffer.size())
        return false;
    std::copy(bytes.cbegin(), bytes.cend(), buffer.begin());
    if (length)
        *length = bytes.size();
    return true;
}

bool SettingsFile::writeInteger(const QString &name, qint32 value)
{
    if (!m_settings)
        return false;
    m_settings->setValue(name, value);
    return commit();
}

bool SettingsFile::writeBinary(const QString &name, const QByteArray &bytes)
{
    if (!m_settings)
        return false;
    m_settings->setValue(name, bytes);
    return commit();
}

bool SettingsFile::writeText(const QString &name, const QString &text)
{
    if (!m_settings)
        return false;
    m_settings->setValue(name, text);
    return commit();
}

bool SettingsFile::commit()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString loadSettings(Settings &settings, SettingsFile &file)
{
    const QFileInfo info(file.path());
    if (info.isFile() && info.size() > LargestSettingsFile)
        return moveAside(file.path());
    if (!file.openKey(false))
        return info.exists() ? moveAside(file.path()) : QString();
    if (!holdsOwnValuesOnly(file)) {
        file.closeKey();
        return moveAside(file.path());
    }
    for (const SettingRow &row : SettingsTable) {
        if (!readRow(row, settings, file))
            break;
    }
    file.closeKey();
    return {};
}

QString writeSettings(const Settings &settings, SettingsFile &file)
{
    std::vector<const SettingRow *> order;
    for (const SettingRow &row : SettingsTable) {
        if (row.savePosition > 0)
            order.push_back(&row);
    }
    std::sort(order.begin(), order.end(),
              [](const SettingRow *a, const SettingRow *b) { return a->savePosition < b->savePosition; });

    if (!file.openKey(true))
        return failedToSet(order.front()->name, file.path());
    QString error;
    for (const SettingRow *row : order) {
        const QString name = row->name.toString();
        bool written = false;
        if (const auto *bytes = std::get_if<QByteArray Settings::*>(&row->field))
            written = file.writeBinary(name, (settings.**bytes).leftJustified(CertLayoutSize, '\0', true));
        else if (const auto *text = std::get_if<QString Settings::*>(&row->field))
            written = file.writeText(name, (settings.**text).left(MaxTextSetting));
        else
            written = file.writeInteger(name, storedInteger(settings, row->name));
        if (!written) {
            error = failedToSet(row->name, file.path());
            break;
        }
    }
    file.closeKey();
    return error;
}

void saveSettings(const Settings &settings, SettingsFile &file, QWidget *parent)
{
    const QString error = writeSettings(settings, file);
    if (!error.isEmpty())
        MessageBox::critical(parent, applicationTitle(), error);
}
