#include "platform/Shell.h"

#include <QDesktopServices>

namespace {

UrlOpener &opener()
{
    static UrlOpener current;
    return current;
}

} // namespace

bool shellOpen(const QUrl &url)
{
    const UrlOpener &open = opener();
    return open ? open(url) : QDesktopServices::openUrl(url);
}

UrlOpener setUrlOpener(UrlOpener replacement)
{
    UrlOpener previous = std::move(opener());
    opener() = std::move(replacement);
    return previous;
}
