#include "tools/kestrava-sim/report/data_uri.h"

#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace kestrava::sim::report {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const std::string& bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
    for (const int shift : {18, 12, 6, 0}) text += kAlphabet[(group >> shift) & 63];
  }
  if (const std::size_t left = bytes.size() - i; left > 0) {
    unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
    if (left == 2) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += left == 2 ? kAlphabet[(group >> 6) & 63] : '=';
    text += '=';
  }
  return text;
}

}  // namespace

bool WriteDataUri(std::ostream& out, const std::filesystem::path& file, const char* type,
                  std::size_t most_bytes) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > most_bytes) return false;
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.eof() && in.fail()) return false;
  out << "data:" << type << ";base64," << Base64(bytes);
  return true;
}

}  // namespace kestrava::sim::report
