// A picture of a window as it looks now, frame included, written as a PNG file.
//
// Thread: the window's thread. No call throws.
#pragma once

#include <windows.h>

#include <string>

namespace kestrava {

// The window and its children finish painting, then the window's pixels are copied into a 32-bit
// bitmap of its size, which GDI+ encodes. (Drawing the window into a bitmap with PrintWindow
// leaves the child windows out under Wine.) The window should be shown and uncovered, as the
// running dialog is. Returns false when the window is gone or the file cannot be written.
bool SaveWindowPng(HWND window, const std::string& png_path);

}  // namespace kestrava
