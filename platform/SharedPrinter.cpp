#include "platform/SharedPrinter.h"

#include <QPrinter>

namespace {

QPrinter &makeSharedPrinter()
{
    static QPrinter printer(QPrinter::HighResolution);
    // Qt starts every printer with margins of its own (10 pt); the pages are composed on the
    // printable area, so that would shrink them and send the job on a paper of that smaller size.
    // The printable area is what the printer itself can reach.
    printer.setPageMargins(printer.pageLayout().minimumMargins(), printer.pageLayout().units());
    return printer;
}

} // namespace

QPrinter &sharedPrinter()
{
    static QPrinter &printer = makeSharedPrinter();
    return printer;
}
