#pragma once
// Waiting on the test (UI) thread without blocking it: worker threads hand
// their callbacks to this thread through messages, so a test that waits for a
// callback must keep retrieving messages meanwhile.
#include <windows.h>

#include <functional>

namespace testsupport {

// Retrieves and dispatches this thread's messages (which also serves other
// threads' Synchronize calls) until done() returns true or timeoutMs have
// passed. Returns done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Retrieves and dispatches messages for ms milliseconds.
void PumpFor(DWORD ms);

// Number of threads of this process, from a system snapshot (-1 on failure).
int CountProcessThreads();

// Number of kernel handles this process holds (-1 when the system cannot say).
int CountProcessHandles();

}  // namespace testsupport
