#include "foundation/options.h"

#include <stdexcept>

namespace {

const std::vector<std::int32_t>& lf_checked(const std::vector<std::int32_t>& allowed)
{
    if (allowed.empty())
        throw std::invalid_argument("an int choice needs at least one allowed value");
    return allowed;
}

} // namespace

Parameter::Parameter(std::string name) : name(std::move(name)) {}

IntParameter::IntParameter(std::string name, std::int32_t defaultValue, std::int32_t min, std::int32_t max)
    : Parameter(std::move(name)), defaultValue(defaultValue), min(min), max(max), value(defaultValue)
{
}

std::int32_t IntParameter::clamped(std::int64_t n) const
{
    if (n < min)
        return min;
    if (n > max)
        return max;
    return static_cast<std::int32_t>(n);
}

FloatParameter::FloatParameter(std::string name, float defaultValue, float min, float max)
    : Parameter(std::move(name)), defaultValue(defaultValue), min(min), max(max), value(defaultValue)
{
}

float FloatParameter::clamped(float x) const
{
    if (x < min)
        return min;
    if (x > max)
        return max;
    return x;
}

BoolParameter::BoolParameter(std::string name, bool defaultValue)
    : Parameter(std::move(name)), defaultValue(defaultValue), min(defaultValue), max(defaultValue),
      value(defaultValue)
{
}

StringParameter::StringParameter(std::string name, const std::string& defaultValue)
    : Parameter(std::move(name)), defaultValue(defaultValue), min(defaultValue), max(defaultValue),
      value(defaultValue)
{
}

UiControl::UiControl(std::uint16_t controlId, std::int32_t rowY) : controlId(controlId), rowY(rowY) {}

UiIntParameter::UiIntParameter(std::string name, std::int32_t defaultValue, std::int32_t min, std::int32_t max,
                               std::uint16_t controlId, std::int32_t rowY)
    : IntParameter(std::move(name), defaultValue, min, max), UiControl(controlId, rowY)
{
}

UiFloatParameter::UiFloatParameter(std::string name, float defaultValue, float min, float max,
                                   std::uint16_t controlId, std::int32_t rowY)
    : FloatParameter(std::move(name), defaultValue, min, max), UiControl(controlId, rowY)
{
}

UiBoolParameter::UiBoolParameter(std::string name, bool defaultValue, std::uint16_t controlId, std::int32_t rowY)
    : BoolParameter(std::move(name), defaultValue), UiControl(controlId, rowY)
{
}

UiStringParameter::UiStringParameter(std::string name, const std::string& defaultValue, std::uint16_t controlId,
                                     std::int32_t rowY)
    : StringParameter(std::move(name), defaultValue), UiControl(controlId, rowY)
{
}

IntChoiceParameter::IntChoiceParameter(std::string name, std::int32_t defaultValue, std::uint16_t controlId,
                                       std::int32_t rowY, std::vector<std::int32_t> allowedValues)
    : UiIntParameter(std::move(name), defaultValue, lf_checked(allowedValues).front(), lf_checked(allowedValues).back(), controlId, rowY),
      allowed(std::move(allowedValues))
{
}

StringChoiceParameter::StringChoiceParameter(std::string name, const std::string& defaultValue,
                                             std::uint16_t controlId, std::int32_t rowY,
                                             std::vector<std::string> choiceTexts)
    : UiStringParameter(std::move(name), defaultValue, controlId, rowY), choices(std::move(choiceTexts))
{
}

UiButton::UiButton(std::string caption, std::uint16_t controlId, std::int32_t rowY)
    : Parameter(std::move(caption)), UiControl(controlId, rowY)
{
}
