#pragma once

#include <QUrl>

#include <functional>

// Opens a local file or a web address with the desktop's program for it. Tests replace the opener,
// since the offscreen platform has no desktop to hand anything to.
using UrlOpener = std::function<bool(const QUrl &)>;

bool shellOpen(const QUrl &url);
// An empty opener restores the desktop's; returns the previous one.
UrlOpener setUrlOpener(UrlOpener replacement);
