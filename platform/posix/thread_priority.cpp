#include "platform/thread_priority.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

bool lowerThreadPriority()
{
    // On Linux both calls take a thread id: 0 is the calling thread, not the process.
#ifdef SCHED_IDLE
    sched_param param {};
    if (sched_setscheduler(0, SCHED_IDLE, &param) == 0)
        return true;
#endif
    return setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 19) == 0;
}

} // namespace platform
