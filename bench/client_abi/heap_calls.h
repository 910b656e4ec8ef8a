// Counts the calls to the C runtime's allocation functions (malloc, calloc, realloc, _strdup)
// that chosen modules make on one thread: each module's imports of them are redirected to
// counting stand-ins that forward to the runtime. Everything the C++ runtimes of this build
// allocate (operator new included) goes through these imports, so a module that allocates on the
// heap is seen whatever its compiler. Windows only.
#pragma once

#include <windows.h>

namespace kestrava::bench {

// Redirects `module`'s imports of the allocation functions; the module must stay loaded while
// counting goes on.
void WatchHeapCalls(HMODULE module);
// From now on counts the watched modules' calls made on the calling thread only.
void CountHeapCallsOnThisThread();
long long HeapCalls();

}  // namespace kestrava::bench
