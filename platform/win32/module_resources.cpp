// The module's resources on Windows: the resource section of the image (DLL or program) that
// holds this code, found from an address inside it.
#include "platform/module_resources.h"

#include <windows.h>

namespace kestrava {
namespace {

const LPCSTR kDialogResourceType = MAKEINTRESOURCEA(5);  // RT_DIALOG, for the ANSI calls

}  // namespace

ModuleResources ThisModuleResources() {
  HMODULE module = nullptr;
  // The address of this very function lies in the image the platform library is linked into.
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&ThisModuleResources), &module)) {
    return ModuleResources{};
  }
  return ModuleResources{module};
}

std::span<const std::uint8_t> FindDialogTemplate(ModuleResources module, int template_id) {
  if (module.handle == nullptr || template_id < 0 || template_id > 0xFFFF) return {};
  HMODULE image = static_cast<HMODULE>(const_cast<void*>(module.handle));
  HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(template_id), kDialogResourceType);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(image, found);
  const DWORD size = SizeofResource(image, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) return {};
  return {static_cast<const std::uint8_t*>(bytes), size};
}

}  // namespace kestrava
