// Loading a plug-in module the way the host does: the dynamic library by path, then its exports.
#pragma once

#include <memory>
#include <string>

namespace standin {

class PlugInModule {
 public:
  // Opens the library. Returns null and sets `error` when the file is missing or is not a
  // loadable library of this platform.
  static std::unique_ptr<PlugInModule> Open(const std::string& path, std::string& error);
  ~PlugInModule();  // closes the library
  PlugInModule(const PlugInModule&) = delete;
  PlugInModule& operator=(const PlugInModule&) = delete;

  // The address of an exported function, or null.
  void* Symbol(const char* name) const;
  const std::string& path() const { return path_; }

 private:
  PlugInModule(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  void* handle_;
  std::string path_;
};

}  // namespace standin
