// Linux gives each thread its own nice value; a lower value is a higher priority. One step is one nice
// value: two steps up is what the "highest" priority of a normal thread amounts to.
#include "platform/ThreadPriority.h"

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace Platform {

namespace {

constexpr int kRaise = 2;
constexpr int kLower = 1;

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

void LowerCallingThreadPriority()
{
    errno = 0;
    int current = getpriority(PRIO_PROCESS, id_t(gettid()));
    if (errno == 0) {
        setpriority(PRIO_PROCESS, id_t(gettid()), current + kLower);
    }
}

} // namespace Platform
