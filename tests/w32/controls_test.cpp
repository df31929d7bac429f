// The built-in controls: check boxes and push buttons, drop-down lists, edit boxes and their
// replaced window procedures.
#include "test_window.h"

using namespace w32test;

namespace {

// An edit box procedure in the way the program writes them: Enter is taken, the rest goes on.
WNDPROC g_previousProc = nullptr;
std::vector<WPARAM> g_enterSeen;
std::vector<UINT> g_subclassMessages;

LRESULT lf_enterBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_subclassMessages.push_back(message);
    if (message == WM_CHAR && wParam == 13) {
        g_enterSeen.push_back(wParam);
        return 0;
    }
    return CallWindowProcW(g_previousProc, hwnd, message, wParam, lParam);
}

// A second layer above the first: turns every 'x' into 'y'.
WNDPROC g_outerPrevious = nullptr;
LRESULT lf_outerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR && wParam == u'x')
        wParam = u'y';
    return CallWindowProcW(g_outerPrevious, hwnd, message, wParam, lParam);
}

} // namespace

// The commands the window got: control id, notification, control.
using Command = std::tuple<int, int, LPARAM>;

class ControlsTest : public WindowTest {
protected:
    std::vector<Command> commands()
    {
        std::vector<Command> result;
        for (const Received& r : state.of(WM_COMMAND))
            result.emplace_back(LOWORD(r.wParam), HIWORD(r.wParam), r.lParam);
        return result;
    }
};

TEST_F(ControlsTest, DisabledControlsSendNothing)
{
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    const HWND button = createControl(main, u"button", BS_DEFPUSHBUTTON | WS_DISABLED, 32829, 323, 257, 70, 20,
                                      u"Unblock");
    const HWND box = createCheckBox(main, 32798, 217, 149);
    const HWND edit = createEdit(main, 32828, 217, 259);
    const HWND combo = createCombo(main, 32790, 5, 114);
    for (const char16_t* entry : {u"a", u"b"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    EnableWindow(edit, FALSE);
    EnableWindow(combo, FALSE);
    EXPECT_FALSE(IsWindowEnabled(button));
    EXPECT_FALSE(w32::testing::click(button) || w32::testing::type(edit, u"AB\r") || w32::testing::select(combo, 1));
    // A click that was on its way when the box was disabled is dropped too.
    ASSERT_TRUE(w32::testing::click(box));
    EnableWindow(box, FALSE);
    w32::testing::pump();
    EXPECT_TRUE(state.of(WM_COMMAND).empty());
    EXPECT_EQ((std::tuple{textOf(edit), SendMessageW(combo, CB_GETCURSEL, 0, 0)}), (std::tuple{u"", CB_ERR}));

    EXPECT_TRUE(EnableWindow(button, TRUE)) << "it was disabled before";
    EXPECT_FALSE(EnableWindow(button, TRUE));
    ASSERT_TRUE(w32::testing::click(button));
    w32::testing::pump();
    EXPECT_EQ(commands(), (std::vector<Command>{{32829, BN_CLICKED, reinterpret_cast<LPARAM>(button)}}));
    EXPECT_EQ(textOf(button), u"Unblock");
}

TEST_F(ControlsTest, ADropDownListKeepsItsEntriesAndReportsOnlyChanges)
{
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    const HWND combo = createCombo(main, 32790, 5, 114);
    for (const char16_t* entry : {u"MSFS 2020", u"MSFS 2024", u"-5"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    EXPECT_EQ(w32::testing::comboItems(combo).size(), 3u);
    EXPECT_EQ(textOf(combo), u"") << "nothing selected";

    const auto send = [&](UINT message, WPARAM w, const void* l = nullptr) {
        return SendMessageW(combo, message, w, reinterpret_cast<LPARAM>(l));
    };
    // Prefix search, without regard to case, starting after the given index and wrapping; a failed search
    // keeps the selection.
    EXPECT_EQ((std::array{send(CB_SELECTSTRING, WPARAM(-1), u"msfs 2"), send(CB_SELECTSTRING, 0, u"MSFS 2"),
                          send(CB_SELECTSTRING, 1, u"MSFS 2"), send(CB_SELECTSTRING, WPARAM(-1), u"P3D"),
                          send(CB_GETCURSEL, 0)}),
              (std::array<LRESULT, 5>{0, 1, 0, CB_ERR, 0}));
    char16_t buffer[16] = {};
    EXPECT_EQ((std::array{send(CB_SETCURSEL, 2), send(CB_GETLBTEXTLEN, 2), send(CB_GETLBTEXT, 1, buffer),
                          send(CB_GETLBTEXT, 3, buffer)}),
              (std::array<LRESULT, 4>{2, 2, 9, CB_ERR}));
    EXPECT_EQ(std::u16string(buffer), u"MSFS 2024");

    // Its text is its selected entry; it cannot be set.
    EXPECT_FALSE(SetWindowTextW(combo, u"whatever"));
    EXPECT_EQ(textOf(combo), u"-5");
    EXPECT_EQ((std::array{send(CB_SETCURSEL, 7), send(CB_GETCURSEL, 0)}), (std::array<LRESULT, 2>{CB_ERR, CB_ERR}));
    send(CB_SETCURSEL, 1);
    w32::testing::pump();
    EXPECT_TRUE(state.of(WM_COMMAND).empty()) << "a selection by the program is not reported";

    ASSERT_TRUE(w32::testing::select(combo, 1));
    w32::testing::pump();
    EXPECT_TRUE(state.of(WM_COMMAND).empty()) << "choosing the selected entry changes nothing";
    ASSERT_TRUE(w32::testing::select(combo, 0));
    w32::testing::pump();
    EXPECT_EQ(commands(), (std::vector<Command>{{32790, CBN_SELCHANGE, reinterpret_cast<LPARAM>(combo)}}));
    EXPECT_EQ(send(CB_GETCURSEL, 0), 0);
    EXPECT_FALSE(w32::testing::select(combo, 3));
    EXPECT_EQ(send(CB_RESETCONTENT, 0), CB_OKAY);
    EXPECT_TRUE(w32::testing::comboItems(combo).empty());
    EXPECT_EQ(send(CB_GETCURSEL, 0), CB_ERR);
}

TEST_F(ControlsTest, TypedCharactersPassThroughTheReplacedProcedures)
{
    const HWND main = createMain();
    ShowWindow(main, SW_SHOW);
    const HWND edit = createEdit(main, 32859, 748, 259, 30);
    g_enterSeen.clear();
    g_subclassMessages.clear();
    const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC));
    ASSERT_NE(original, nullptr);
    g_previousProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&lf_enterBoxProc)));
    EXPECT_EQ(g_previousProc, original);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC)), &lf_enterBoxProc);

    ASSERT_TRUE(w32::testing::type(edit, u"28x\b5\r"));
    w32::testing::pump();
    EXPECT_EQ((std::pair{textOf(edit), g_enterSeen.size()}), (std::pair{std::u16string(u"285"), std::size_t{1}}))
        << "the box edits as usual; Enter was taken";
    // Setting the text goes through the chain too.
    g_subclassMessages.clear();
    SetWindowTextW(edit, u"7");
    EXPECT_EQ(g_subclassMessages, std::vector<UINT>{WM_SETTEXT});

    // Without the replaced procedure, Enter does nothing in a one-line box.
    g_outerPrevious =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&lf_outerProc)));
    EXPECT_EQ(g_outerPrevious, &lf_enterBoxProc);
    w32::testing::type(edit, u"x\r");
    w32::testing::pump();
    EXPECT_EQ(textOf(edit), u"7y") << "the outer procedure sees the character first";
    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    w32::testing::type(edit, u"\r");
    w32::testing::pump();
    EXPECT_EQ((std::pair{textOf(edit), g_enterSeen.size()}), (std::pair{std::u16string(u"7y"), std::size_t{2}}));
}

TEST_F(ControlsTest, WindowTextIsCutToTheBuffer)
{
    const HWND main = createMain();
    const HWND edit = createEdit(main, 32788, 111, 119);
    SetWindowTextW(edit, u"C:\\Users\\pilot\\Community");
    char16_t buffer[5] = {u'#', u'#', u'#', u'#', u'#'};
    EXPECT_EQ(GetWindowTextW(edit, buffer, 5), 4);
    EXPECT_EQ(std::u16string(buffer), u"C:\\U");
    EXPECT_EQ((std::array{GetWindowTextW(edit, buffer, 0), GetWindowTextW(nullptr, buffer, 5), int{buffer[0]}}),
              (std::array{0, 0, 0}));
    // Text that is not valid UTF-16 is kept as it is.
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    SetWindowTextW(edit, lone);
    EXPECT_EQ(textOf(edit), std::u16string(lone));
}

TEST_F(ControlsTest, ControlsAreFoundByIdUnderTheirParentOnly)
{
    const HWND main = createMain();
    const HWND other = createMain();
    const HWND box = createCheckBox(main, 32771, 748, 149);
    createCheckBox(other, 32772, 748, 149);
    EXPECT_EQ((std::array{GetDlgItem(main, 32771), GetDlgItem(main, 32772), GetDlgItem(nullptr, 32771)}),
              (std::array<HWND, 3>{box, nullptr, nullptr}));
    EXPECT_FALSE(CheckDlgButton(main, 32772, BST_CHECKED) || IsDlgButtonChecked(main, 32772));
    EXPECT_EQ(createControl(nullptr, u"Edit", 0, 1, 0, 0, 10, 10), nullptr) << "a control needs a parent";
}

TEST_F(ControlsTest, TheParentChoosesTheColoursOfEditBoxesAndCheckBoxes)
{
    state.onMessage = [](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
        if (message != WM_CTLCOLOREDIT && message != WM_CTLCOLORSTATIC)
            return kPassOn;
        const HDC hdc = reinterpret_cast<HDC>(wParam);
        SetBkMode(hdc, OPAQUE);
        SetBkColor(hdc, RGB(153, 204, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    };
    const HWND main = createMain();
    const HWND edit = createEdit(main, 32839, 217, 343, 50);
    const HWND box = createCheckBox(main, 32852, 5, 373);
    const auto editColours = w32::testing::controlColours(edit);
    // the DC brush keeps its white
    EXPECT_EQ((std::tuple{editColours.bkColour, editColours.bkMode, editColours.brush}),
              (std::tuple{RGB(153, 204, 255), OPAQUE, RGB(255, 255, 255)}));
    w32::testing::controlColours(box);
    EXPECT_EQ((std::pair{state.of(WM_CTLCOLOREDIT).size(), state.of(WM_CTLCOLORSTATIC).size()}),
              (std::pair{std::size_t{1}, std::size_t{1}}));
    EXPECT_EQ(state.of(WM_CTLCOLOREDIT)[0].lParam, reinterpret_cast<LPARAM>(edit));
}
