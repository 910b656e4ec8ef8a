#include "platform/win32/win32_common_dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace kestrava {
namespace {

// The dialog's file name buffer holding `initial`, cut to fit with its terminating zero.
std::array<char, MAX_PATH> SaveFileNameBuffer(const std::string& initial) {
  std::array<char, MAX_PATH> buffer = {};
  const std::size_t length = std::min(initial.size(), buffer.size() - 1);
  std::copy_n(initial.begin(), length, buffer.begin());
  return buffer;
}

}  // namespace

std::optional<ColorRef> ChooseColourWithDialog(const ColourRequest& request,
                                               std::array<COLORREF, 16>& custom) {
  CHOOSECOLORA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = nullptr;
  dialog.rgbResult = request.initial;
  dialog.lpCustColors = custom.data();
  dialog.Flags = CC_RGBINIT | (request.full_open ? CC_FULLOPEN : 0);
  if (!ChooseColorA(&dialog)) return std::nullopt;
  return static_cast<ColorRef>(dialog.rgbResult);
}

void ShowExclamationBox(const std::string& caption, const std::string& text) {
  MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::string SaveFileFilterList(const std::string& filter) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  std::string list;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty()) break;  // "||" ends the list
    list += parts[i];
    list += '\0';
    list += parts[i + 1];
    list += '\0';
  }
  if (!list.empty()) list += '\0';
  return list;
}

std::optional<std::string> ChooseSaveFileWithDialog(const SaveFileRequest& request) {
  std::array<char, MAX_PATH> name = SaveFileNameBuffer(request.initial);
  const std::string filters = SaveFileFilterList(request.filter);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetActiveWindow();
  dialog.lpstrFilter = filters.empty() ? nullptr : filters.c_str();
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrDefExt =
      request.default_extension.empty() ? nullptr : request.default_extension.c_str();
  dialog.Flags = request.flags | OFN_EXPLORER;
  if (!GetSaveFileNameA(&dialog)) return std::nullopt;
  name.back() = '\0';
  return std::string(name.data());
}

}  // namespace kestrava
