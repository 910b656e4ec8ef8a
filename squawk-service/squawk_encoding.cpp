#include "squawk-service/squawk_encoding.h"

#include <cstdio>

namespace squawk_service {

std::string EncodeSquawkReply(int code_number) {
  const int first = (code_number >> 9) & 7;
  const int second = (code_number >> 6) & 7;
  const int third = (code_number >> 3) & 7;
  const int fourth = code_number & 7;
  int value = (first << 5) | (second << 9) | third | (fourth << 13);
  if (value == 0) value = 1 << 3;
  char text[8] = {};
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
  return text;
}

}  // namespace squawk_service
