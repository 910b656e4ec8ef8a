// Telling a module for the real client by its export directory, on small PE images built here.
#include "tools/kestrava-sim/client_module_file.h"

#include <cstdint>
#include <string>

#include "gtest/gtest.h"

namespace kestrava::sim {
namespace {

void Put32(std::string& image, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// A PE32 image with one section (file offset 0x200, address 0x1000) holding an export directory
// that names `exported`.
std::string ImageExporting(const std::string& exported) {
  std::string image(0x400, '\0');
  Put32(image, 0x3c, 0x40);          // where the PE header is
  Put32(image, 0x40, 0x00004550);    // "PE\0\0"
  Put32(image, 0x44, 0x0001014c);    // i386, one section
  Put32(image, 0x54, 0x010200e0);    // optional header of 224 bytes
  Put32(image, 0x58, 0x010b);        // PE32
  Put32(image, 0xb8, 0x1000);        // export directory's address
  Put32(image, 0xbc, 0x100);         // and size
  Put32(image, 0x138 + 8, 0x200);    // the section: size in memory
  Put32(image, 0x138 + 12, 0x1000);  // address
  Put32(image, 0x138 + 16, 0x200);   // size in the file
  Put32(image, 0x138 + 20, 0x200);   // offset in the file
  Put32(image, 0x200 + 24, 1);       // one name
  Put32(image, 0x200 + 32, 0x1040);  // the address of its address
  Put32(image, 0x240, 0x1080);       // the name's address
  image.replace(0x280, exported.size(), exported);
  return image;
}

TEST(ClientModuleFile, KnownOnlyByTheClientsDecoratedEntryInAWellFormedImage) {
  const std::string client = ImageExporting(kClientInitName);
  std::string not_pe = client;
  not_pe[0x41] = 'X';
  std::string no_exports = client;
  Put32(no_exports, 0xb8, 0);
  std::string names_outside = client;
  Put32(names_outside, 0x200 + 32, 0x9000);
  const struct {
    const char* what;
    std::string image;
    bool expected;
  } cases[] = {
      {"the decorated entry", client, true},
      {"a stand-in module's entry", ImageExporting("EuroScopePlugInInit"), false},
      {"cut inside the name", client.substr(0, 0x290), false},
      {"cut before the headers end", client.substr(0, 0x100), false},
      {"no PE signature", not_pe, false},
      {"no export directory", no_exports, false},
      {"names outside every section", names_outside, false},
      {"empty", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PeImageExports(c.image, kClientInitName), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace kestrava::sim
