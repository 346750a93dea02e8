#include "platform/Sound.h"

#include "platform/AppPaths.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSoundEffect>
#include <QUrl>

#include <utility>

namespace {

SoundPlayer &player()
{
    static SoundPlayer current;
    return current;
}

QString locate(const QString &fileName)
{
    const QFileInfo here(QDir::current(), fileName);
    if (here.isFile())
        return here.absoluteFilePath();
    return shippedFilePath(fileName);
}

void play(const QString &fileName)
{
    // One effect per file, kept for the program's life: loading takes longer than a run may wait.
    static QHash<QString, QSoundEffect *> effects;
    const QString path = locate(fileName);
    if (path.isEmpty()) {
        QApplication::beep();
        return;
    }
    QSoundEffect *&effect = effects[path];
    if (!effect) {
        effect = new QSoundEffect(qApp);
        effect->setSource(QUrl::fromLocalFile(path));
    }
    if (effect->status() == QSoundEffect::Error) {
        QApplication::beep();
        return;
    }
    // Fire and forget: without an audio device isPlaying() may never turn false.
    effect->stop();
    effect->play();
}

} // namespace

void playSoundAsync(const QString &fileName)
{
    const SoundPlayer &custom = player();
    if (custom)
        custom(fileName);
    else
        play(fileName);
}

SoundPlayerScope::SoundPlayerScope(SoundPlayer replacement)
    : m_previous(std::exchange(player(), std::move(replacement)))
{}

SoundPlayerScope::~SoundPlayerScope()
{
    player() = std::move(m_previous);
}
