#include "tools/kestrava-sim/client_module_file.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace kestrava::sim {
namespace {

// Little-endian fields of the image, every read checked against its end.
class ImageReader {
 public:
  explicit ImageReader(std::string_view image) : image_(image) {}

  bool U16(std::uint64_t at, std::uint32_t& value) const { return Read(at, 2, value); }
  bool U32(std::uint64_t at, std::uint32_t& value) const { return Read(at, 4, value); }

  // The zero-terminated text at `at`, or nothing when it runs past the end.
  bool Text(std::uint64_t at, std::string_view& text) const {
    if (at >= image_.size()) return false;
    const std::string_view rest = image_.substr(static_cast<std::size_t>(at));
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos) return false;
    text = rest.substr(0, end);
    return true;
  }

 private:
  bool Read(std::uint64_t at, int bytes, std::uint32_t& value) const {
    if (at + static_cast<std::uint64_t>(bytes) > image_.size()) return false;
    value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
      value = (value << 8) | static_cast<unsigned char>(image_[static_cast<std::size_t>(at) + i]);
    }
    return true;
  }

  std::string_view image_;
};

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint32_t kPe32Magic = 0x10b;
constexpr std::uint32_t kPe32PlusMagic = 0x20b;

// The file offset of a relative virtual address, through the section table.
bool OffsetOf(const ImageReader& image, std::uint64_t sections, std::uint32_t count,
              std::uint32_t rva, std::uint64_t& offset) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t section = sections + 40ull * i;
    std::uint32_t virtual_size = 0, virtual_address = 0, raw_size = 0, raw_offset = 0;
    if (!image.U32(section + 8, virtual_size) || !image.U32(section + 12, virtual_address) ||
        !image.U32(section + 16, raw_size) || !image.U32(section + 20, raw_offset)) {
      return false;
    }
    const std::uint32_t size = virtual_size > raw_size ? virtual_size : raw_size;
    if (rva >= virtual_address && rva - virtual_address < size) {
      offset = std::uint64_t{raw_offset} + (rva - virtual_address);
      return true;
    }
  }
  return false;
}

}  // namespace

bool PeImageExports(std::string_view bytes, std::string_view name) {
  const ImageReader image(bytes);
  std::uint32_t pe = 0, signature = 0, section_count = 0, optional_size = 0, magic = 0;
  if (!image.U32(0x3c, pe) || !image.U32(pe, signature) || signature != kPeSignature) return false;
  const std::uint64_t coff = std::uint64_t{pe} + 4;
  const std::uint64_t optional = coff + 20;
  if (!image.U16(coff + 2, section_count) || !image.U16(coff + 16, optional_size) ||
      !image.U16(optional, magic)) {
    return false;
  }
  if (magic != kPe32Magic && magic != kPe32PlusMagic) return false;
  // The export directory is the first data directory.
  const std::uint64_t directories = optional + (magic == kPe32Magic ? 96 : 112);
  std::uint32_t export_rva = 0;
  if (directories + 8 > optional + optional_size || !image.U32(directories, export_rva) ||
      export_rva == 0) {
    return false;
  }
  const std::uint64_t sections = optional + optional_size;
  std::uint64_t exports = 0, names = 0;
  std::uint32_t name_count = 0, names_rva = 0;
  if (!OffsetOf(image, sections, section_count, export_rva, exports) ||
      !image.U32(exports + 24, name_count) || !image.U32(exports + 32, names_rva) ||
      !OffsetOf(image, sections, section_count, names_rva, names)) {
    return false;
  }
  for (std::uint32_t i = 0; i < name_count; ++i) {
    std::uint32_t name_rva = 0;
    std::uint64_t at = 0;
    std::string_view exported;
    if (!image.U32(names + 4ull * i, name_rva) ||
        !OffsetOf(image, sections, section_count, name_rva, at) || !image.Text(at, exported)) {
      return false;
    }
    if (exported == name) return true;
  }
  return false;
}

bool IsClientModuleFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  const std::string image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return PeImageExports(image, kClientInitName);
}

}  // namespace kestrava::sim
