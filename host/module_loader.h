// Loading a plug-in module the way the host does: the dynamic library by path, then its exports.
// A host program that loads modules of another kind (the module for the real client) gives the
// World a ModuleOpener of its own, whose modules answer the same export names.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace standin {

class PlugInModule {
 public:
  // Opens the library. Returns null and sets `error` when the file is missing or is not a
  // loadable library of this platform.
  static std::unique_ptr<PlugInModule> Open(const std::string& path, std::string& error);
  virtual ~PlugInModule() = default;  // closes the module
  PlugInModule(const PlugInModule&) = delete;
  PlugInModule& operator=(const PlugInModule&) = delete;

  // The address of an exported function, or null.
  virtual void* Symbol(const char* name) const = 0;
  const std::string& path() const { return path_; }

 protected:
  explicit PlugInModule(std::string path) : path_(std::move(path)) {}

 private:
  std::string path_;
};

// Opens a module by path; null, with `error`, when it cannot be loaded.
using ModuleOpener =
    std::function<std::unique_ptr<PlugInModule>(const std::string& path, std::string& error)>;

}  // namespace standin
