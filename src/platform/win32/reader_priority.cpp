#include "platform/reader_priority.h"

#include <windows.h>

namespace quorvane {

// Any program may raise its own threads this far; the reader sleeps in ReadFile nearly always.
void raiseReaderPriority() {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
}

}  // namespace quorvane
