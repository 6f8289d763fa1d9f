#pragma once

namespace quorvane {

// Raises the calling thread, the serial reader, above the machine's ordinary work where the
// system lets this user do so, so a busy machine delays the stamp of a burst as little as it
// can. Where it may not, the thread keeps the ordinary priority and nothing is said: stamps
// are still back-dated and mended by the reads after a late one.
void raiseReaderPriority();

}  // namespace quorvane
