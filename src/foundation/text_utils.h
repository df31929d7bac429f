#pragma once
// Small text helpers shared by the readers and the log lines.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view g_blanks = " \t\n\r";

std::string gf_trim(std::string_view text);
std::vector<std::string> gf_split(std::string_view text, char separator); // every piece trimmed
std::vector<std::string> gf_splitComma(std::string_view text);
std::vector<std::string> gf_splitCommaSortedUnique(std::string_view text);
std::string gf_joinComma(const std::vector<std::string>& pieces);
void gf_removeSpacesInCommaList(std::string& text); // "A, B ,C" -> "A,B,C"
// The text between the first two double quotes; the whole text when it has none.
std::string gf_unquote(std::string_view text);

// At most `maxBytes` of the text, cut at the start of a UTF-8 character.
std::string gf_cutUtf8(std::string_view text, std::size_t maxBytes);
// The text for a log line: gf_cutUtf8, followed by "..." when it was longer.
std::string gf_cutText(std::string_view text, std::size_t maxBytes);

// "s", or nothing for a count of 1 (and for a negative count).
std::string_view gf_plural(std::int32_t count);
std::string_view gf_plural(std::int64_t count);
std::string_view gf_plural(std::uint64_t count);

std::string gf_float2string(float value); // "12" or "12.5"
// part * 100 / total rounded; 0 when total < 1; gsl::narrowing_error when it is no 32-bit int.
int gf_percentage(std::int64_t part, std::int64_t total);

// a == b in upper case (".TXT" against an extension)
bool gf_equalsUppercased(std::string_view a, std::string_view b);
// b == a followed by '*'
bool gf_equalsWithStar(std::string_view a, std::string_view b);
