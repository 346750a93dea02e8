#pragma once

#include <QString>

#include <functional>

// Plays a WAV file without waiting for it: looked up in the current folder, then where the program's
// shipped files are (beside it, then the installed data folder). Where the file or the sound device is
// missing, a system beep; nothing ever blocks.
void playSoundAsync(const QString &fileName);

// Tests count the sounds instead of playing them while one of these lives (an empty player plays).
using SoundPlayer = std::function<void(const QString &)>;
class SoundPlayerScope
{
public:
    explicit SoundPlayerScope(SoundPlayer replacement);
    ~SoundPlayerScope();
    Q_DISABLE_COPY_MOVE(SoundPlayerScope)

private:
    SoundPlayer m_previous;
};
