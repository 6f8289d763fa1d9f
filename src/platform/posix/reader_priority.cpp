#include "platform/reader_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quorvane {

// A nice value, not a real-time policy: the reader wins the processor as soon as bytes come,
// and a runaway device still cannot starve the machine. Linux takes the nice value per thread.
// Root, CAP_SYS_NICE or a raised RLIMIT_NICE allow it; the first value allowed is taken.
void raiseReaderPriority() {
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    for (int nice = -10; nice < 0; ++nice) {
        if (::setpriority(PRIO_PROCESS, thread, nice) == 0) {
            return;
        }
    }
}

}  // namespace quorvane
