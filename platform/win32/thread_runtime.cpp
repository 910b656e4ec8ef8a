// The module's thread-end callbacks (its TLS callbacks, among them the threads library's and the
// C runtime's) called for the calling thread with the reason the loader gives when a thread ends.
#include "platform/thread_runtime.h"

#include <windows.h>

#include "platform/win32/host_thread_window.h"

namespace kestrava {

void ReleaseThreadRuntime() noexcept {
  HMODULE module = ThisModule();
  if (module == nullptr || module == GetModuleHandleA(nullptr)) return;
  auto* base = reinterpret_cast<unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
  if (directory.VirtualAddress == 0) return;
  const auto* tls = reinterpret_cast<const IMAGE_TLS_DIRECTORY*>(base + directory.VirtualAddress);
  // The callbacks' list holds addresses, relocated with the module.
  for (auto* callback = reinterpret_cast<const PIMAGE_TLS_CALLBACK*>(tls->AddressOfCallBacks);
       callback != nullptr && *callback != nullptr; ++callback) {
    (*callback)(module, DLL_THREAD_DETACH, nullptr);
  }
}

void* CallingThreadEnd() noexcept {
  HANDLE thread = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread,
                       SYNCHRONIZE, FALSE, 0)) {
    return nullptr;
  }
  return thread;
}

void AwaitThreadEnd(void* end) noexcept {
  if (end == nullptr) return;
  WaitForSingleObject(end, INFINITE);
  CloseHandle(end);
}

}  // namespace kestrava
