// Linux gives each thread its own nice value; a lower value is a higher priority. Two steps up is what
// the "highest" priority of a normal thread amounts to.
#include "platform/ThreadPriority.h"

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace Platform {

namespace {

constexpr int kRaise = 2;

} // namespace

RaisedThreadPriority::RaisedThreadPriority()
{
    errno = 0;
    previousNice = getpriority(PRIO_PROCESS, id_t(gettid()));
    known = errno == 0;
    if (known) {
        setpriority(PRIO_PROCESS, id_t(gettid()), previousNice - kRaise);
    }
}

RaisedThreadPriority::~RaisedThreadPriority()
{
    if (known) {
        setpriority(PRIO_PROCESS, id_t(gettid()), previousNice);
    }
}

} // namespace Platform
