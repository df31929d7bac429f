#include "foundation/json_input.h"

#include <exception>
#include <fmt/format.h>
#include <stdexcept>
#include <string>

namespace {

// The events of a parse without building anything: the deepest nesting and the first syntax error.
// The parse goes on past the bound, so that a text both too deep and unreadable raises the parse error.
class DepthCheck {
public:
    using Json = nlohmann::json;

    bool null() { return true; }
    bool boolean(bool) { return true; }
    bool number_integer(Json::number_integer_t) { return true; }
    bool number_unsigned(Json::number_unsigned_t) { return true; }
    bool number_float(Json::number_float_t, const Json::string_t&) { return true; }
    bool string(Json::string_t&) { return true; }
    bool binary(Json::binary_t&) { return true; }
    bool key(Json::string_t&) { return true; }
    bool start_object(std::size_t) { return open(); }
    bool start_array(std::size_t) { return open(); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    // the library's own error, of its own type, kept to be raised after the parse
    template <class Error> bool parse_error(std::size_t, const std::string&, const Error& error)
    {
        m_error = std::make_exception_ptr(error);
        return false;
    }

    bool tooDeep() const { return m_tooDeep; }
    const std::exception_ptr& error() const { return m_error; }

private:
    bool open()
    {
        m_tooDeep = m_tooDeep || m_depth >= g_maxJsonDepth;
        ++m_depth;
        return true;
    }
    bool close()
    {
        --m_depth;
        return true;
    }

    int m_depth = 0;
    bool m_tooDeep = false;
    std::exception_ptr m_error;
};

} // namespace

nlohmann::json gf_parseJson(std::string_view text, bool raise)
{
    // a parse callback would cost time growing with the square of an array's values: the nesting is
    // checked by a pass of its own, then the value is built without one
    DepthCheck check;
    if (!nlohmann::json::sax_parse(text, &check)) {
        if (raise && check.error())
            std::rethrow_exception(check.error());
        return nlohmann::json(nlohmann::json::value_t::discarded);
    }
    if (check.tooDeep()) {
        if (raise)
            throw std::runtime_error(fmt::format("JSON nested deeper than {} levels", g_maxJsonDepth));
        return nlohmann::json(nlohmann::json::value_t::discarded);
    }
    return nlohmann::json::parse(text, nullptr, raise);
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
