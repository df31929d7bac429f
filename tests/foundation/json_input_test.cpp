// The depth-bounded JSON parse: 64 levels taken, 65 refused, the library's own errors kept, and a
// time that grows with the text only.
#include "foundation/json_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>

namespace {

// `levels` values each inside the one before: arrays, objects, or the two in turn
std::string nested(int levels, const std::string& kinds)
{
    std::string open, close;
    for (int i = 0; i < levels; ++i) {
        const bool object = kinds[static_cast<std::size_t>(i) % kinds.size()] == '{';
        open += object ? (i + 1 < levels ? R"({"a":)" : "{") : "[";
        close += object ? '}' : ']';
    }
    std::reverse(close.begin(), close.end());
    return open + close;
}

// `count` values side by side in an array, and `last` after them
std::string sideBySide(int count, const std::string& value, const std::string& last = "")
{
    std::string text = "[";
    for (int i = 0; i < count; ++i)
        text += (i == 0 ? "" : ",") + value;
    return text + (last.empty() ? "" : ",") + last + "]";
}

// `what` of the error raised, "" when the text is taken
std::string raised(const std::string& text)
{
    try {
        (void)gf_parseJson(text, true);
        return "";
    } catch (const std::exception& e) {
        return e.what();
    }
}

TEST(JsonInput, NestingBoundAndErrorsWithAndWithoutRaise)
{
    const std::string deeper = "JSON nested deeper than 64 levels";
    const std::string unreadable = "[json.exception.parse_error.101]";
    const struct { const char* name; std::string text; std::string error; } cases[] = {
        {"64 arrays", nested(64, "["), ""},
        {"65 arrays", nested(65, "["), deeper},
        {"64 objects", nested(64, "{"), ""},
        {"65 objects", nested(65, "{"), deeper},
        {"64 in turn", nested(64, "[{"), ""},
        {"65 in turn", nested(65, "{["), deeper},
        {"65 in a later value", "[1," + nested(64, "[") + ",2]", deeper},
        {"65 in a member, a shallow one after", R"({"a":)" + nested(64, "[") + R"(,"b":[]})", deeper},
        {"100000 arrays", nested(100000, "["), deeper},
        // the depth goes down again at each end: many containers side by side count one level each
        {"100 objects side by side", sideBySide(100, "{}"), ""},
        {"100 arrays side by side", sideBySide(100, "[]"), ""},
        {"3 side by side, 63 deep each", sideBySide(3, nested(63, "{[")), ""},
        {"100 side by side, then 64 deep", sideBySide(100, "{}", nested(64, "[")), deeper},
        {"64 not closed", nested(64, "[").substr(0, 127), unreadable},
        {"65 and a word after", nested(65, "[") + "x", unreadable}, // the reading error wins
        {"a number", "1", ""},
        {"empty", "", unreadable},
        {"a number too large", "[1e400]", "[json.exception.out_of_range.406]"},
    };
    for (const auto& c : cases) {
        const nlohmann::json taken = gf_parseJson(c.text, false);
        if (c.error.empty()) {
            EXPECT_EQ(taken.dump(), c.text) << c.name;
            EXPECT_EQ(raised(c.text), "") << c.name;
        } else {
            EXPECT_TRUE(taken.is_discarded()) << c.name;
            EXPECT_TRUE(raised(c.text).starts_with(c.error)) << c.name << ": " << raised(c.text);
        }
    }
    // the library's errors keep their types
    EXPECT_THROW(gf_parseJson("{", true), nlohmann::json::parse_error);
    EXPECT_THROW(gf_parseJson("[1e400]", true), nlohmann::json::out_of_range);
}

// 1 MiB of values in one array: empty objects cost about what numbers do, not a walk of the array
// at each value that ends (30 s against 0.03 s when they did). Best of three against best of three.
TEST(JsonInput, AnArrayOfObjectsParsesInTimeOfItsSize)
{
    const auto lt_array = [](const std::string& value, std::size_t& count) {
        std::string text = "[";
        for (count = 0; text.size() + value.size() + 2 <= 1 << 20; ++count)
            text.append(count == 0 ? "" : ",").append(value);
        return text + "]";
    };
    const auto lt_seconds = [](const std::string& text, std::size_t count) {
        const auto start = std::chrono::steady_clock::now();
        const nlohmann::json value = gf_parseJson(text, false);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(value.size(), count);
        return took.count();
    };
    std::size_t objectCount = 0;
    std::size_t numberCount = 0;
    const std::string objects = lt_array("{}", objectCount);
    const std::string numbers = lt_array("1", numberCount);
    ASSERT_TRUE(objects.size() > 1000000 && numbers.size() > 1000000);
    double numberTime = 1e9;
    for (int i = 0; i < 3; ++i)
        numberTime = std::min(numberTime, lt_seconds(numbers, numberCount));
    double objectTime = 1e9;
    for (int i = 0; i < 3 && objectTime > 5 * numberTime; ++i)
        objectTime = std::min(objectTime, lt_seconds(objects, objectCount));
    EXPECT_LT(objectTime, 5 * numberTime) << numberTime;
}

} // namespace
