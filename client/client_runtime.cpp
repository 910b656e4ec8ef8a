// What the client's ABI expects of every module and a C++ runtime would otherwise give: the
// global deallocation functions (under their MSVC names), the marker of floating-point use and
// the handler of a call to a pure virtual function. Client-facing half only.
#include "client/client_memory.h"

extern "C" [[noreturn]] void abort(void);

// Objects of this half are made by Create (client_memory.h); deleting one ends here.
void operator delete(void* memory) noexcept { free(memory); }
void operator delete(void* memory, unsigned int) noexcept { free(memory); }

extern "C" {

int _fltused = 0;

// A pure virtual function was called: an object was used while it was being made or ended.
int _purecall(void) { abort(); }

}  // extern "C"
