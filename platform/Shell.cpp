#include "platform/Shell.h"

#include <QDesktopServices>

#include <utility>

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

UrlOpenerScope::UrlOpenerScope(UrlOpener replacement)
    : m_previous(std::exchange(opener(), std::move(replacement)))
{}

UrlOpenerScope::~UrlOpenerScope()
{
    opener() = std::move(m_previous);
}
