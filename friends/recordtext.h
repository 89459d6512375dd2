#pragma once
// The text rules of the cache-file lines: fields each closed by "*", the uid as the text
// before the first "*", values made safe for a line, and ids that may go into a query, a
// path or an address.
#include <string>
#include <string_view>
#include <vector>

namespace friends {

// The field separator of every cache line.
inline constexpr char kFieldEnd = '*';

// The first `count` fields of `line` (1 to 7). True when all were found; on failure the
// fields found before the missing one are in `fields`. Text after the last wanted "*" (more
// fields, the best-friend flag, the line end) is ignored.
bool splitRecord(std::string_view line, int count, std::vector<std::string>& fields);

// The text before the first "*"; the whole line when it has none.
std::string_view uidOf(std::string_view line);

// `value` with every "*", line feed and carriage return replaced by a blank, so that it
// stays one field of one line.
std::string cleanValue(std::string_view value);

// True for a non-empty text of decimal digits only.
bool isDecimalId(std::string_view id);

// The leading decimal number of `text` (blanks and a sign before it allowed); 0 when there
// is none. Saturates instead of overflowing.
long long leadingNumber(std::string_view text);

}  // namespace friends
