#pragma once
// The option objects: every setting of the program is one global object of these classes
// (option_table.h). Key, default and limits never change after construction; the current value
// is read and written from any thread (atomics, and a snapshot under a lock for texts).
#include "foundation/shared_text.h"
#include "w32/windows.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class Parameter {
public:
    explicit Parameter(std::string name);
    virtual ~Parameter() = default;
    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;

    const std::string name; // the key in parameters.xml; a button's caption
};

class IntParameter : public Parameter {
public:
    IntParameter(std::string name, std::int32_t defaultValue, std::int32_t min, std::int32_t max);

    std::int32_t clamped(std::int64_t n) const; // n brought into min..max

    const std::int32_t defaultValue;
    const std::int32_t min;
    const std::int32_t max;
    std::atomic<std::int32_t> value;
};

class FloatParameter : public Parameter {
public:
    FloatParameter(std::string name, float defaultValue, float min, float max);

    float clamped(float x) const;

    const float defaultValue;
    const float min;
    const float max;
    std::atomic<float> value;
};

class BoolParameter : public Parameter {
public:
    BoolParameter(std::string name, bool defaultValue);

    const bool defaultValue;
    const bool min; // the default; nothing reads it
    const bool max; // the default; nothing reads it
    std::atomic<bool> value;
};

class StringParameter : public Parameter {
public:
    StringParameter(std::string name, const std::string& defaultValue);

    const std::string defaultValue;
    const std::string min; // the default; nothing reads it
    const std::string max; // the default; nothing reads it
    SharedText value;
};

// The second base of every option shown in the options panel.
class UiControl {
public:
    UiControl(std::uint16_t controlId, std::int32_t rowY);
    virtual ~UiControl() = default;
    UiControl(const UiControl&) = delete;
    UiControl& operator=(const UiControl&) = delete;

    const std::uint16_t controlId;          // child-window id, 0x8000 and up
    const std::int32_t rowY;                // top edge of the control's row in the options panel
    std::atomic<HWND> hWnd{nullptr};        // set when the main window creates the control
    std::atomic<WNDPROC> prevWndProc{nullptr}; // an edit box's procedure before it was replaced
};

class UiIntParameter : public IntParameter, public UiControl {
public:
    UiIntParameter(std::string name, std::int32_t defaultValue, std::int32_t min, std::int32_t max,
                   std::uint16_t controlId, std::int32_t rowY);
};

class UiFloatParameter : public FloatParameter, public UiControl {
public:
    UiFloatParameter(std::string name, float defaultValue, float min, float max, std::uint16_t controlId,
                     std::int32_t rowY);
};

class UiBoolParameter : public BoolParameter, public UiControl {
public:
    UiBoolParameter(std::string name, bool defaultValue, std::uint16_t controlId, std::int32_t rowY);
};

class UiStringParameter : public StringParameter, public UiControl {
public:
    UiStringParameter(std::string name, const std::string& defaultValue, std::uint16_t controlId,
                      std::int32_t rowY);
};

// A drop-down list of ints; min and max are the first and the last allowed value. The value is
// kept inside min..max, not necessarily inside the list.
class IntChoiceParameter : public UiIntParameter {
public:
    IntChoiceParameter(std::string name, std::int32_t defaultValue, std::uint16_t controlId, std::int32_t rowY,
                       std::vector<std::int32_t> allowed);

    // Refills the combo box with the allowed values and selects the value when it is one of them.
    void fillComboBox() const;

    const std::vector<std::int32_t> allowed; // ascending
};

// A drop-down list of texts.
class StringChoiceParameter : public UiStringParameter {
public:
    StringChoiceParameter(std::string name, const std::string& defaultValue, std::uint16_t controlId,
                          std::int32_t rowY, std::vector<std::string> choices);

    // Refills the combo box with the choices and selects the first one that begins with the value;
    // win32::Utf8ConversionException for a text that is no valid UTF-8.
    void fillComboBox() const;

    const std::vector<std::string> choices;
};

// A push button of the options panel; its name is the caption, nothing is stored.
class UiButton : public Parameter, public UiControl {
public:
    UiButton(std::string caption, std::uint16_t controlId, std::int32_t rowY);
};
