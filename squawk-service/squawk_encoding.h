// How the reference service writes a code in its assignment reply: the four octal digits placed
// in 3-bit fields of one number (first digit at bits 5-7, second at 9-11, third at 0-2, fourth
// at 13-15), written as lower-case hexadecimal, at most four digits. Bit 3, which the client
// does not read, is set for 0000 so that the number is never 0. Pure; any thread.
#pragma once

#include <string>

namespace squawk_service {

// `code_number` as from CodeNumber (0 to 4095).
std::string EncodeSquawkReply(int code_number);

}  // namespace squawk_service
