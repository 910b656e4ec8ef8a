// Import redirection: the module's import directory names each function it takes from
// msvcrt.dll beside the slot its calls go through; the allocation functions' slots are pointed at
// the counting stand-ins below.
#include "bench/client_abi/heap_calls.h"

#include <atomic>
#include <cstddef>
#include <cstring>

namespace kestrava::bench {
namespace {

std::atomic<DWORD> counted_thread{0};
std::atomic<long long> heap_calls{0};

void Note() {
  if (GetCurrentThreadId() == counted_thread.load(std::memory_order_relaxed)) {
    heap_calls.fetch_add(1, std::memory_order_relaxed);
  }
}

// The runtime's own functions, found by name before any import is redirected (this program's
// own imports may be redirected too).
using Malloc = void*(__cdecl*)(std::size_t);
using Calloc = void*(__cdecl*)(std::size_t, std::size_t);
using Realloc = void*(__cdecl*)(void*, std::size_t);
using Strdup = char*(__cdecl*)(const char*);
Malloc real_malloc = nullptr;
Calloc real_calloc = nullptr;
Realloc real_realloc = nullptr;
Strdup real_strdup = nullptr;

template <class Function>
void Find(Function& function, const char* name) {
  if (function == nullptr) {
    function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), name)));
  }
}

void* __cdecl CountedMalloc(std::size_t size) {
  Note();
  return real_malloc(size);
}
void* __cdecl CountedCalloc(std::size_t count, std::size_t size) {
  Note();
  return real_calloc(count, size);
}
void* __cdecl CountedRealloc(void* block, std::size_t size) {
  Note();
  return real_realloc(block, size);
}
char* __cdecl CountedStrdup(const char* text) {
  Note();
  return real_strdup(text);
}

struct Redirection {
  const char* name;
  void* counted;
};
const Redirection kRedirections[] = {
    {"malloc", reinterpret_cast<void*>(&CountedMalloc)},
    {"calloc", reinterpret_cast<void*>(&CountedCalloc)},
    {"realloc", reinterpret_cast<void*>(&CountedRealloc)},
    {"_strdup", reinterpret_cast<void*>(&CountedStrdup)},
};

void Redirect(void** slot, void* counted) {
  DWORD protection = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
  *slot = counted;
  VirtualProtect(slot, sizeof *slot, protection, &protection);
}

}  // namespace

void WatchHeapCalls(HMODULE module) {
  Find(real_malloc, "malloc");
  Find(real_calloc, "calloc");
  Find(real_realloc, "realloc");
  Find(real_strdup, "_strdup");
  auto* base = reinterpret_cast<unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  for (auto* library =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       library->Name != 0; ++library) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + library->Name), "msvcrt.dll") != 0) {
      continue;
    }
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
        base +
        (library->OriginalFirstThunk != 0 ? library->OriginalFirstThunk : library->FirstThunk));
    auto** slots = reinterpret_cast<void**>(base + library->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      for (const Redirection& redirection : kRedirections) {
        if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), redirection.name) == 0) {
          Redirect(slots, redirection.counted);
        }
      }
    }
  }
}

void CountHeapCallsOnThisThread() { counted_thread = GetCurrentThreadId(); }

long long HeapCalls() { return heap_calls.load(); }

}  // namespace kestrava::bench
