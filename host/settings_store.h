// A settings store kept in a text file: the stand-in host's plug-in settings and each display's
// settings file.
//
// File format: one entry per line, "key<TAB>description<TAB>value", with backslash escapes for
// backslash, tab, carriage return and line feed, so keys and values may hold any bytes.
// Lines may end with LF or CR LF (a file edited on Windows). Saving is atomic: the whole store is
// written to "<path>.tmp" and renamed over the file, so a crash leaves either the old file or the
// new one; a save that fails removes the temporary file. A store without a path lives in memory
// only.
//
// Thread: host's thread only. Pointers returned by Get stay valid until that key changes.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace standin {

class SettingsStore {
 public:
  struct Entry {
    std::string description;
    std::string value;
  };

  SettingsStore() = default;
  // Reads the file when it exists; a missing file is an empty store.
  explicit SettingsStore(std::string path);
  virtual ~SettingsStore() = default;

  const std::string& path() const { return path_; }
  // The stored value, or null when the key is absent.
  const char* Get(const std::string& key) const;
  // Stores the value (or removes the key when `value` is null) and saves the file at once.
  // Returns false when the file could not be written; the change stays in memory.
  bool Set(const std::string& key, const std::string& description, const char* value);
  // Replaces the values without saving (used to prepare a store before a plug-in loads).
  void Preset(const std::string& key, const std::string& value);
  const std::map<std::string, Entry>& entries() const { return entries_; }
  bool Save();

  static std::string Escape(const std::string& text);
  static std::string Unescape(const std::string& text);

 protected:
  // Moves the fully written temporary file over the store's file. Tests override it to model a
  // crash between writing and renaming.
  virtual bool Commit(const std::string& temporary, const std::string& final_path);

 private:
  std::string path_;
  std::map<std::string, Entry> entries_;
};

}  // namespace standin
