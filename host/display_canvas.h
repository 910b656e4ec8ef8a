// The pixels of one stand-in radar display: an off-screen bitmap with the device context the
// plug-in draws on (a cairo_t* on Linux, a memory HDC on Windows), the host's own simple drawing,
// reading pixels back, and writing the bitmap as a PNG file.
//
// Thread: the host's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "plugin/EuroScopePlugIn.h"

namespace standin {

struct Pixel {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Pixel&) const = default;
};

class DisplayCanvas {
 public:
  // Throws std::runtime_error when the bitmap cannot be made.
  DisplayCanvas(int width, int height);
  ~DisplayCanvas();
  DisplayCanvas(const DisplayCanvas&) = delete;
  DisplayCanvas& operator=(const DisplayCanvas&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  // The device context handed to the plug-in's refresh passes; valid for the canvas's life.
  EuroScopePlugIn::DeviceContext dc();

  // Fills the rectangle (right and bottom exclusive), clipped to the bitmap.
  void Fill(const EuroScopePlugIn::ScreenRect& area, Pixel colour);
  // Writes 8-bit text with its cell's top-left corner at (x, y) in the host's small font.
  void Text(int x, int y, const std::string& text, Pixel colour);
  // The pixel at (x, y); black outside the bitmap.
  Pixel PixelAt(int x, int y);
  // Returns false when the file cannot be written.
  bool SavePng(const std::string& path);

 private:
  struct Impl;
  int width_;
  int height_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace standin
