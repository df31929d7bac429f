#include "foundation/load_parameters.h"
#include "foundation/option_controls.h"
#include "foundation/parameter_file.h"
#include "foundation/range.h"
#include "foundation/utf.h"
#include "options_file.h"
#include "w32/testing.h"
#include "w32/windows.h"

#include <string>

namespace {

LRESULT lf_mainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A main window with a control for every option of the options panel, as the window creates them.
class OptionControls : public testsupport::OptionsFileTest {
protected:
    void SetUp() override
    {
        OptionsFileTest::SetUp();
        w32::testing::reset();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = lf_mainProc;
        wc.lpszClassName = u"TRWK";
        ASSERT_NE(RegisterClassExW(&wc), 0);
        main = CreateWindowExW(0, u"TRWK", u"TRWK", WS_CAPTION | WS_SYSMENU, 0, 0, 880, 516, nullptr, nullptr,
                               nullptr, nullptr);
        ASSERT_NE(main, nullptr);
        g_parentWindow = main;
        for (Parameter* option : gf_allOptions()) {
            auto* control = dynamic_cast<UiControl*>(option);
            if (control == nullptr)
                continue;
            const bool box = dynamic_cast<UiBoolParameter*>(option) != nullptr;
            const bool list = dynamic_cast<IntChoiceParameter*>(option) || dynamic_cast<StringChoiceParameter*>(option);
            const DWORD style = WS_CHILD | WS_VISIBLE | (box ? BS_CHECKBOX : 0) | (list ? CBS_DROPDOWNLIST : 0);
            control->hWnd = CreateWindowExW(0, box ? u"button" : (list ? u"ComboBox" : u"Edit"), u"", style, 0, 0, 50,
                                            16, main, reinterpret_cast<HMENU>(UINT_PTR{control->controlId}), nullptr,
                                            nullptr);
        }
    }
    void TearDown() override
    {
        g_parentWindow = nullptr;
        for (Parameter* option : gf_allOptions())
            if (auto* control = dynamic_cast<UiControl*>(option))
                control->hWnd = nullptr;
        w32::testing::reset();
        OptionsFileTest::TearDown();
    }

    static std::string text(const UiControl& control)
    {
        char16_t buffer[1024]{};
        const int n = GetWindowTextW(control.hWnd.load(), buffer, 1024);
        return gf_utf16ToUtf8(std::u16string_view(buffer, static_cast<std::size_t>(n)));
    }
    static bool checked(const UiBoolParameter& option)
    {
        return SendMessageW(option.hWnd.load(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static LRESULT selection(const UiControl& control) { return SendMessageW(control.hWnd.load(), CB_GETCURSEL, 0, 0); }

    HWND main = nullptr;
};

TEST_F(OptionControls, TheLoadShowsCheckBoxesAndTextBoxes)
{
    writeFile(testsupport::Entries{{"LOG", "false"}, {"WEEK", "true"}, {"BLOCK_CALLSIGN", "DLH4X"},
                                   {"DESTINATION", "EDDF"}, {"PROGRAM_VERSION", "11.0.3"}, {"SCAN_AIRPORTS", "false"}});
    RANGE.value = 65; // a restart: the boxes were filled in the run before
    RANGE.fillComboBox();
    gf_loadParameters();
    EXPECT_EQ(selection(RANGE), 15); // 40, selected by gf_setRange
    EXPECT_FALSE(checked(LOG));
    EXPECT_TRUE(checked(WEEK) && checked(PARK_SOFT)); // PARK_SOFT missing: its default
    EXPECT_TRUE(checked(SCAN_AIRPORTS)) << "a version update rescans";
    EXPECT_EQ(text(BLOCK_CALLSIGN), "DLH4X");
    EXPECT_EQ(text(DESTINATION), ""); // a plain text is not shown by the load
}

TEST_F(OptionControls, AMissingControlIsLoggedAndSkipped)
{
    DestroyWindow(MAX_FIT.hWnd.load());
    MAX_FIT.hWnd = nullptr;
    gf_showIntParameter(MAX_FIT);
    EXPECT_TRUE(folder.logHas("GetDlgItem failed for ID " + std::to_string(MAX_FIT.controlId)));
    g_parentWindow = nullptr;
    gf_showStringParameter(DESTINATION);
    EXPECT_TRUE(folder.logHas("GetDlgItem failed for ID " + std::to_string(DESTINATION.controlId)));
}

TEST_F(OptionControls, ShownValuesFollowTheOption)
{
    MAX_FIT_FL.value = 7.5F;
    gf_showFloatParameter(MAX_FIT_FL);
    EXPECT_EQ(text(MAX_FIT_FL), "7.5");
    DESTINATION.value = "EDDF";
    gf_showStringParameter(DESTINATION);
    EXPECT_EQ(text(DESTINATION), "EDDF");
    DESTINATION.value = std::string("\xff\xfe");
    gf_showStringParameter(DESTINATION); // no valid UTF-8: logged, the box keeps its text
    EXPECT_EQ(text(DESTINATION), "EDDF");
    gf_clearTextBox(DESTINATION.controlId);
    EXPECT_EQ(text(DESTINATION), "");
}

TEST_F(OptionControls, AnIntChoiceOutsideItsListShowsNoSelection)
{
    RANGE.value = 7;
    RANGE.fillComboBox();
    const auto items = w32::testing::comboItems(RANGE.hWnd.load());
    ASSERT_EQ(items.size(), RANGE.allowed.size());
    EXPECT_EQ(items.front(), u"2");
    EXPECT_EQ(items.back(), u"100");
    EXPECT_EQ(selection(RANGE), CB_ERR);
    EXPECT_EQ(RANGE.value, 7);

    RANGE.value = 65;
    RANGE.fillComboBox(); // refilled, not added to
    EXPECT_EQ(w32::testing::comboItems(RANGE.hWnd.load()).size(), RANGE.allowed.size());
    EXPECT_EQ(selection(RANGE), 17);

    gf_setRange(8);
    EXPECT_EQ(selection(RANGE), 5);
    gf_setRange(9); // no entry of the list: the box keeps what it showed
    EXPECT_EQ(RANGE.value, 9);
    EXPECT_EQ(selection(RANGE), 5);
}

TEST_F(OptionControls, ATextChoiceSelectsTheFirstEntryThatBeginsWithTheValue)
{
    SIM_CHOICE.value = "MSFS 2";
    SIM_CHOICE.fillComboBox();
    EXPECT_EQ(w32::testing::comboItems(SIM_CHOICE.hWnd.load()), (std::vector<std::u16string>{u"MSFS 2020", u"MSFS 2024"}));
    EXPECT_EQ(selection(SIM_CHOICE), 0);
    AI_PACKAGE_SELECTOR.value = "jf, fsltl, aig";
    AI_PACKAGE_SELECTOR.fillComboBox();
    EXPECT_EQ(selection(AI_PACKAGE_SELECTOR), 5);
    AI_PACKAGE_SELECTOR.value = "XYZ";
    AI_PACKAGE_SELECTOR.fillComboBox();
    EXPECT_EQ(selection(AI_PACKAGE_SELECTOR), CB_ERR);
}

TEST_F(OptionControls, FillingBeforeTheControlExistsDoesNothingButATextThatIsNoUtf8Raises)
{
    for (IntChoiceParameter* choice : {&RANGE, &MATCHING_DEPTH}) {
        DestroyWindow(choice->hWnd.load());
        EXPECT_NO_THROW(choice->fillComboBox());
        choice->hWnd = nullptr;
        EXPECT_NO_THROW(choice->fillComboBox());
    }
    SIM_CHOICE.value = std::string("MSFS \xff");
    EXPECT_THROW(SIM_CHOICE.fillComboBox(), win32::Utf8ConversionException);
    SIM_CHOICE.hWnd = nullptr;
    EXPECT_NO_THROW(SIM_CHOICE.fillComboBox());
}

} // namespace
