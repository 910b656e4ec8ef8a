#include "host/module_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace standin {
namespace {

// A module that is a dynamic library of this platform.
class LibraryModule final : public PlugInModule {
 public:
  LibraryModule(void* handle, std::string path) : PlugInModule(std::move(path)), handle_(handle) {}
  ~LibraryModule() override {
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
  }

  void* Symbol(const char* name) const override {
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
  }

 private:
  void* handle_;
};

}  // namespace

std::unique_ptr<PlugInModule> PlugInModule::Open(const std::string& path, std::string& error) {
#if defined(_WIN32)
  const UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE handle = LoadLibraryA(path.c_str());
  SetErrorMode(old_mode);
  if (handle == nullptr) {
    error = "cannot load plug-in module '" + path + "' (Windows error " +
            std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  return std::make_unique<LibraryModule>(reinterpret_cast<void*>(handle), path);
#else
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    error = "cannot load plug-in module '" + path + "': " + (why ? why : "unknown error");
    return nullptr;
  }
  return std::make_unique<LibraryModule>(handle, path);
#endif
}

}  // namespace standin
