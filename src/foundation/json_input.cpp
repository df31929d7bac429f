#include "foundation/json_input.h"

#include <fmt/format.h>
#include <stdexcept>

nlohmann::json gf_parseJson(std::string_view text, bool raise)
{
    using Event = nlohmann::json::parse_event_t;
    bool tooDeep = false;
    // the value that opens a level beyond the bound is dropped, and with it all it holds
    const nlohmann::json::parser_callback_t lt_bound = [&tooDeep](int depth, Event event, nlohmann::json&) {
        if ((event == Event::object_start || event == Event::array_start) && depth >= g_maxJsonDepth) {
            tooDeep = true;
            return false;
        }
        return true;
    };
    nlohmann::json result = nlohmann::json::parse(text, lt_bound, raise);
    if (!tooDeep)
        return result;
    if (raise)
        throw std::runtime_error(fmt::format("JSON nested deeper than {} levels", g_maxJsonDepth));
    return nlohmann::json(nlohmann::json::value_t::discarded);
}

std::int64_t gf_jsonInteger(const nlohmann::json& object, const char* key, std::int64_t fallback, std::int64_t lo,
                            std::int64_t hi)
{
    if (!object.is_object())
        return object.value(key, fallback); // raises the type error
    const auto it = object.find(key);
    if (it == object.end())
        return fallback;
    std::int64_t value = 0;
    if (it->is_number_float()) {
        const double d = it->get<double>();
        // beyond these (and for NaN) the conversion itself would be undefined
        if (!(d > -9.2e18 && d < 9.2e18))
            return fallback;
        value = static_cast<std::int64_t>(d);
    } else if (it->is_number_unsigned()) {
        const std::uint64_t u = it->get<std::uint64_t>();
        if (hi < 0 || u > static_cast<std::uint64_t>(hi))
            return fallback;
        value = static_cast<std::int64_t>(u);
    } else {
        value = it->get<std::int64_t>(); // anything but a number raises the type error
    }
    return (value < lo || value > hi) ? fallback : value;
}
