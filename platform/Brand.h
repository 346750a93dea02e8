#pragma once

#include <QString>

// The program's title in captions and message boxes. Qt's display name stays unset, so window
// managers show the caption as the program sets it.
inline QString applicationTitle()
{
    return QStringLiteral("Ombrel");
}

// The maker's name and web address, shown by the logo and the published protocol.
inline QString makerBrand()
{
    return QStringLiteral("Korvell");
}
inline QString makerWebAddress()
{
    return QStringLiteral("https://korvell.example/");
}
