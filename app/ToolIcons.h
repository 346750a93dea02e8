#pragma once

#include <QIcon>

// Small pictures of the protocol tool bar, drawn by the program so it needs no icon theme.
enum class ToolIcon {
    Load,
    Save,
    Certificates,
    Print,
    Excel,
    Html,
    RemoveRow
};

QIcon toolIcon(ToolIcon which);
