#pragma once
// JSON from outside (the service's answers, the download site's version list): a parse with its
// nesting bounded, and integer members read with their type and range checked first.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>

// Every walk of a JSON value (copy, compare, print) recurses once per level: a document nested
// deeper than this is refused whole.
inline constexpr int g_maxJsonDepth = 64;

// The parsed text. Unreadable or too deeply nested text gives a discarded value (is_discarded());
// with `raise` it raises the JSON library's parse error, or std::runtime_error for the nesting.
nlohmann::json gf_parseJson(std::string_view text, bool raise);

// The integer member `key` of an object: `fallback` when it is absent or its number lies outside
// lo..hi (a fraction is cut off, as the JSON library converts). Another type of value, or a value
// that is no object, raises the JSON type error, as the library's value() does.
std::int64_t gf_jsonInteger(const nlohmann::json& object, const char* key, std::int64_t fallback, std::int64_t lo,
                            std::int64_t hi);
