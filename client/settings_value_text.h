// How a settings value travels to the real client and back.
//
// The client keeps plug-in and display settings in its own text files and documents that a
// value holds printable characters only, never ':', CR or LF, and is never a null pointer. The
// logic stores texts with ':' (airport lists, altitude rows, file paths), empty texts, and clears
// a key with a null value. This binding stores:
// - a text of printable ASCII characters without ':' that does not start with the mark "%%" as
//   it stands (flags, numbers, colours: most values);
// - any other text as the mark followed by the text with ':', '%' and every byte outside
//   printable ASCII written as '%' and two upper-case hexadecimal digits ("EGLL:1" is stored as
//   "%%EGLL%3A1", the empty text as "%%");
// - a cleared key as the empty text, which therefore reads as absent.
// Reading undoes this. A text written by hand or by an earlier version in plain form ("EGLL:1",
// "http://host/qex/", "50%") reads as it stands: only a text that starts with the mark and is
// well formed after it is decoded.
//
// Pure functions, any thread. Each returns either its argument or `buffer`'s text, valid until
// `buffer` changes.
#pragma once

#include <string>

namespace kestrava::client {

// The text to hand the client for the logic's `value` (null: the key is cleared).
const char* StoredSettingText(const char* value, std::string& buffer);

// The logic's value for what the client gave back for a key (null: none stored); null when the
// key is absent or cleared.
const char* ReadSettingText(const char* stored, std::string& buffer);

}  // namespace kestrava::client
