#pragma once

#include <QUrl>

#include <functional>

// Opens a local file or a web address with the desktop's program for it. Tests replace the opener,
// since the offscreen platform has no desktop to hand anything to.
using UrlOpener = std::function<bool(const QUrl &)>;

bool shellOpen(const QUrl &url);

// The opener while it lives (an empty one is the desktop's); the previous one comes back after.
class UrlOpenerScope
{
public:
    explicit UrlOpenerScope(UrlOpener replacement);
    ~UrlOpenerScope();
    Q_DISABLE_COPY_MOVE(UrlOpenerScope)

private:
    UrlOpener m_previous;
};
