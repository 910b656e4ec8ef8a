#include "tools/kestrava-sim/client/client_module.h"

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "tools/kestrava-sim/client/double_calls.h"
#include "tools/kestrava-sim/client/world_as_client.h"
#include "tools/kestrava-sim/client_module_file.h"

namespace kestrava::sim {
namespace {

constexpr char kDoubleName[] = "EuroScopePlugInDll.dll";
using ClientInit = void (*)(void** instance);
using ClientExit = void (*)();

class ClientModule;
ClientModule* open_module = nullptr;  // the one open module for the real client

class ClientModule final : public standin::PlugInModule {
 public:
  ClientModule(HMODULE module, ClientInit init, ClientExit exit, const DoubleCalls& calls,
               std::string path)
      : PlugInModule(std::move(path)), module_(module), init_(init), exit_(exit), calls_(calls) {
    slot_.calls = &calls_;
    const KestravaDoubleHost host = WorldAsClient(slot_);
    calls_.install(&host);
    open_module = this;
  }
  ~ClientModule() override {
    calls_.install(nullptr);
    open_module = nullptr;
    FreeLibrary(module_);
  }

  void* Symbol(const char* name) const override {
    if (std::strcmp(name, "EuroScopePlugInInit") == 0) return reinterpret_cast<void*>(&Init);
    if (std::strcmp(name, "EuroScopePlugInExit") == 0) return reinterpret_cast<void*>(&Exit);
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  static void Init(EuroScopePlugIn::CPlugIn** instance) {
    void* client_plugin = nullptr;
    open_module->init_(&client_plugin);
    ClientPlugInAdapter* adapter = open_module->slot_.adapter;
    if (client_plugin != nullptr && adapter != nullptr) adapter->Attach(client_plugin);
    *instance = client_plugin != nullptr ? adapter : nullptr;
  }
  static void Exit() {
    open_module->exit_();
    open_module->calls_.module_exited();
  }

  HMODULE module_;
  ClientInit init_;
  ClientExit exit_;
  DoubleCalls calls_;
  ClientPlugInSlot slot_;
};

template <class Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

std::unique_ptr<standin::PlugInModule> OpenClientModule(const std::string& path,
                                                        std::string& error) {
  if (open_module != nullptr) {
    error = "a module for the real client is open already";
    return nullptr;
  }
  const UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // The module's folder is searched first for what it imports (the double is there), when the
  // path is a full one.
  std::error_code ec;
  const std::string full_path = std::filesystem::absolute(path, ec).string();
  HMODULE module =
      LoadLibraryExA((ec ? path : full_path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  SetErrorMode(old_mode);
  if (module == nullptr) {
    error = "cannot load plug-in module '" + path + "' (Windows error " +
            std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  const auto init = Export<ClientInit>(module, kClientInitName);
  const auto exit = Export<ClientExit>(module, kClientExitName);
  DoubleCalls calls;
  const HMODULE double_library = GetModuleHandleA(kDoubleName);
  if (init == nullptr || exit == nullptr) {
    error =
        "'" + path + "' is not a module for the real client: it does not export its entry points";
  } else if (double_library == nullptr || !calls.Resolve(double_library)) {
    error = "the module '" + path + "' was not loaded with the test double " + kDoubleName +
            " of the client's library from its folder";
  } else {
    return std::make_unique<ClientModule>(module, init, exit, calls, path);
  }
  FreeLibrary(module);
  return nullptr;
}

}  // namespace kestrava::sim
