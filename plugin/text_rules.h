// The text rules shared by every setting, stored list and host text the plug-in reads.
// Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrava {

// The leading decimal integer of `text`: an optional sign, then digits up to the first other
// character; 0 when the text starts with anything else, a blank included (" 930" reads 0). The
// rule of plug-in settings, filed departure times and typed times. Digits accumulate modulo 2^32
// and the low 32 bits are kept, so any run of digits reads without overflow and the unsigned
// text of a negative value ("4294967291") reads back as that value (-5).
std::int32_t LeadingInteger(std::string_view text);
// Null-safe form: a null text reads as 0.
std::int32_t LeadingInteger(const char* text);

// The same after leading white space is skipped (" 930" reads 930): the rule of service
// replies, stored altitude rows and display settings.
std::int32_t LeadingIntegerAfterBlanks(std::string_view text);
std::int32_t LeadingIntegerAfterBlanks(const char* text);

// A stored flag is on exactly when its text is "1".
bool IsFlagOn(std::string_view text);

// Splits at ':' as a tokenizer does: separators at the start are skipped and a run of
// separators counts as one, so no field is empty.
std::vector<std::string_view> SplitFields(std::string_view text);

// Upper-cases the ASCII letters a to z and leaves every other byte as it is.
std::string AsciiUpper(std::string_view text);

// Unsigned 32-bit decimal text of a value ("%u").
std::string UnsignedText(std::uint32_t value);

}  // namespace kestrava
