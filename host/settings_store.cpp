#include "host/settings_store.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace standin {

SettingsStore::SettingsStore(std::string path) : path_(std::move(path)) {
  std::ifstream in(path_, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    // Files edited on Windows end their lines with CR LF. A CR inside a value is written
    // escaped, so a raw one can only be part of the line end.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
      const std::size_t tab = line.find('\t', start);
      fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    if (fields.size() != 3) continue;
    entries_[Unescape(fields[0])] = Entry{Unescape(fields[1]), Unescape(fields[2])};
  }
}

const char* SettingsStore::Get(const std::string& key) const {
  const auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : it->second.value.c_str();
}

bool SettingsStore::Set(const std::string& key, const std::string& description, const char* value) {
  if (value == nullptr) {
    entries_.erase(key);
  } else {
    entries_[key] = Entry{description, value};
  }
  return Save();
}

void SettingsStore::Preset(const std::string& key, const std::string& value) {
  entries_[key] = Entry{key, value};
}

bool SettingsStore::Save() {
  if (path_.empty()) return true;
  const std::string temporary = path_ + ".tmp";
  bool written = false;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    for (const auto& [key, entry] : entries_) {
      out << Escape(key) << '\t' << Escape(entry.description) << '\t' << Escape(entry.value)
          << '\n';
    }
    out.close();
    written = !out.fail();
  }
  if (written && Commit(temporary, path_)) return true;
  // Whatever failed, no temporary file stays behind: the store's file is as it was.
  std::error_code ignored;
  std::filesystem::remove(temporary, ignored);
  return false;
}

bool SettingsStore::Commit(const std::string& temporary, const std::string& final_path) {
  std::error_code error;
  std::filesystem::rename(temporary, final_path, error);
  return !error;
}

std::string SettingsStore::Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string SettingsStore::Unescape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      default: out += text[i];
    }
  }
  return out;
}

}  // namespace standin
