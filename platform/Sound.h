#pragma once

#include <QString>

#include <functional>

// Plays a WAV file without waiting for it: looked up in the current folder, then where the program's
// shipped files are (beside it, then the installed data folder). Where the file or the sound device is
// missing, a system beep; nothing ever blocks.
void playSoundAsync(const QString &fileName);

// Tests count the sounds instead of playing them; an empty player restores the real one.
using SoundPlayer = std::function<void(const QString &)>;
SoundPlayer setSoundPlayer(SoundPlayer replacement);
