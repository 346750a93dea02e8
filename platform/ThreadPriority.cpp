#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <unistd.h>

void lowerCurrentThreadPriority()
{
    // On Linux a thread's nice value is its own: this leaves the rest of the process as it is.
    // Raising it never needs a privilege; failing leaves the thread as it was.
    constexpr int Background = 10;
    setpriority(PRIO_PROCESS, id_t(gettid()), Background);
}
