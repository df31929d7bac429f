// Runs against the model simulator whose login the local service answers: the account type and
// the time-shift controls, the time settings a failed login leaves alone, the refused key that
// waits for the user, and the lock-out that waits five minutes before the next login.
#include "app_fixture.h"

#include "app/control_thread.h"
#include "app/window_commands.h"
#include "foundation/time_shift.h"
#include "foundation/utc_time.h"
#include "support/manual_time.h"

#include <fmt/format.h>

using testsupport::AppTest;
using testsupport::eventually;
using testsupport::saveOption;
using testsupport::savedOption;
using testsupport::ServiceAnswer;

namespace {

class LoginRun : public AppTest {
protected:
    LoginRun() { gf_createControls(window, nullptr); }
    ~LoginRun() override
    {
        // as a new process has them
        g_professionalAccount = g_timeShifted = false;
        g_timeOffset = g_weatherTimeOffset = 0;
        g_simEpochTime = 0;
    }

    // The service answers every login so.
    void answerLogins(ServiceAnswer answer)
    {
        scriptService();
        server.setDefault("/v4/auth", std::move(answer));
    }

    // One run on its control thread, to its close-down's message; the close box ends a wait in
    // SYSTEM ERROR once it has been logged.
    void runToItsEnd()
    {
        std::thread control(gf_controlThread);
        const bool waits = eventually([this] { return !posted().empty() || folder.logHas("Exiting: SYSTEM ERROR"); });
        EXPECT_TRUE(waits) << "the run did not end";
        if (!waits || posted().empty())
            gf_onCloseBox();
        control.join();
        endSimClient();
        driver.reset(); // it sleeps on the program's clock, which may be the test's
    }

    static bool enabled(const UiControl& control) { return IsWindowEnabled(control.hWnd) != FALSE; }
};

// The model's clock set so far before now: {"clock": {"year", "dayOfYear", "zuluSeconds"}}.
nlohmann::json lf_clockBefore(std::chrono::seconds back)
{
    using namespace std::chrono;
    const sys_seconds at = floor<seconds>(system_clock::now()) - back;
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const sys_days newYear{date.year() / January / 1};
    return {{"clock",
             {{"year", static_cast<int>(date.year())},
              {"dayOfYear", (day - newYear).count() + 1},
              {"zuluSeconds", (at - day).count()}}}};
}

struct AccountCase {
    const char* name;
    const char* type; // the login answer's member
    bool professional;
};

class AccountTypes : public LoginRun, public ::testing::WithParamInterface<AccountCase> {};

} // namespace

// A user who follows the simulator's clock, set three hours back, and keeps the setting.
TEST_P(AccountTypes, OnlyAProfessionalAccountKeepsTheTimeShiftControlsAndFollowsTheSimulatorsClock)
{
    const AccountCase& c = GetParam();
    answerLogins({200, fmt::format(R"({{"status":200,"GUID":"abc","wrrl":100{}}})", c.type)});
    startSimulator(lf_clockBefore(std::chrono::hours(3)));
    saveOption(SIM_TIME, true);
    saveOption(KEEP_SIM_TIME_PAR, true);
    std::thread control(gf_controlThread);
    ASSERT_TRUE(eventually([] { return gf_isRunning() && g_userDataCount >= 3; }));

    EXPECT_EQ((std::tuple{enabled(SIM_TIME), enabled(KEEP_SIM_TIME_PAR), g_mainWindowState.timeControlsEnabled.load()}),
              (std::tuple{c.professional, c.professional, c.professional}));
    EXPECT_EQ((std::tuple{KEEP_SIM_TIME_PAR.value.load(), savedOption("KEEP_SIM_TIME_PAR")}),
              (std::tuple{c.professional, c.professional ? "true" : "false"}));
    // the traffic of three hours ago, the simulator's time; none shifted for a standard account
    EXPECT_NEAR(g_timeOffset.load(), c.professional ? 180 : 0, 1);
    EXPECT_EQ(g_weatherTimeOffset.load(), g_timeOffset.load());
    EXPECT_EQ(g_mainWindowState.rtAccountText.get(), c.professional ? "Professional account" : "Standard account");

    gf_onCloseBox();
    control.join();
    EXPECT_TRUE(folder.logHas(c.professional ? "RT account type: professional" : "RT account type: standard"));
}

INSTANTIATE_TEST_SUITE_P(Types, AccountTypes,
                         ::testing::Values(AccountCase{"Professional", R"(,"type":2)", true},
                                           AccountCase{"Standard", R"(,"type":1)", false},
                                           AccountCase{"NoType", "", false}),
                         [](const ::testing::TestParamInfo<AccountCase>& info) { return std::string(info.param.name); });

namespace {

struct FailedLoginCase {
    const char* name;
    ServiceAnswer answer;
    bool simTime; // else a shift of 1 day, 2 hours and 3 minutes
};

class FailedLogins : public LoginRun, public ::testing::WithParamInterface<FailedLoginCase> {};

} // namespace

// A professional user's time settings: the run that could not log in cannot know the account.
TEST_P(FailedLogins, LeaveTheTimeSettingsAsTheUserLeftThem)
{
    const FailedLoginCase& c = GetParam();
    testsupport::ManualTime time(1767225600);
    answerLogins(c.answer);
    startSimulator();
    saveOption(KEEP_SIM_TIME_PAR, true);
    saveOption(SIM_TIME, c.simTime);
    const std::pair<UiIntParameter*, int> shift[] = {{&TIME_SHIFT_DAYS, 1}, {&TIME_SHIFT_HOURS, 2}, {&TIME_SHIFT_MINS, 3}};
    for (const auto& [option, value] : shift) {
        option->value = c.simTime ? 0 : value;
        gf_saveIntParameter(*option);
    }
    runToItsEnd();

    EXPECT_TRUE(folder.logHas("Exiting: READER ERROR"));
    EXPECT_EQ(posted(), std::vector<UINT>{WM_APP_RUN});
    EXPECT_EQ((std::tuple{savedOption("KEEP_SIM_TIME_PAR"), savedOption("SIM_TIME")}),
              (std::tuple{"true", c.simTime ? "true" : "false"}));
    EXPECT_TRUE(enabled(KEEP_SIM_TIME_PAR) && enabled(SIM_TIME)) << "as the start-up left them";
    // a shift that follows the simulator is taken anew at each start
    for (const auto& [option, value] : shift)
        EXPECT_EQ(savedOption(option->name), std::to_string(c.simTime ? 0 : value)) << option->name;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedLogins,
    ::testing::Values(FailedLoginCase{"BadRequest", {200, R"({"status":400})"}, false},
                      FailedLoginCase{"EmptyAnswer", {200, ""}, true},
                      FailedLoginCase{"LockedOut", {200, R"({"status":429,"message":"Too many failed attempts"})"},
                                      true}),
    [](const ::testing::TestParamInfo<FailedLoginCase>& info) { return std::string(info.param.name); });

namespace {

struct RefusedKeyCase {
    const char* name;
    int status;
    const char* message;
};

class RefusedKeys : public LoginRun, public ::testing::WithParamInterface<RefusedKeyCase> {};

} // namespace

TEST_P(RefusedKeys, WaitForTheUserWithTheStatusAndTheServicesMessage)
{
    const RefusedKeyCase& c = GetParam();
    testsupport::ManualTime time(1767225600);
    answerLogins({200, fmt::format(R"({{"status":{},"GUID":"g1","message":"{}"}})", c.status, c.message)});
    startSimulator();
    runToItsEnd();

    const std::string shown = fmt::format("Authentication refused, status {}: {}", c.status, c.message);
    EXPECT_TRUE(folder.logHas("Error " + shown));
    EXPECT_EQ((std::tuple{gf_statusLine().text, gf_statusLine().error}), (std::tuple{shown, true}));
    EXPECT_EQ(posted(), std::vector<UINT>{WM_APP_QUIT}) << "no new run";
    EXPECT_EQ(server.count("/v4/auth"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Statuses, RefusedKeys,
                         ::testing::Values(RefusedKeyCase{"UnknownKey", 401, "invalid license"},
                                           RefusedKeyCase{"AddressNotVerified", 403, "verify your email address"}),
                         [](const ::testing::TestParamInfo<RefusedKeyCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(LoginRun, ALockOutShowsTheServicesMessageWithTheCountdownOfFiveMinutes)
{
    testsupport::ManualTime time(1767225600);
    std::mutex mutex;
    std::vector<std::string> countdown;
    gf_setStatusRepaintHook([&] {
        const std::string text = gf_statusLine().text;
        std::lock_guard lock(mutex);
        if (text.find("estarting after") != std::string::npos)
            countdown.push_back(text);
    });
    answerLogins({200, R"({"status":429,"message":"Too many failed attempts"})"});
    startSimulator();
    runToItsEnd();
    gf_setStatusRepaintHook(nullptr);

    EXPECT_TRUE(folder.logHas("Exiting: READER ERROR") && folder.logHas("Restarting after 300 seconds"));
    EXPECT_EQ(posted(), std::vector<UINT>{WM_APP_RUN});
    EXPECT_EQ(server.count("/v4/auth"), 1u);
    std::vector<std::string> expected;
    for (int n = 300; n >= 1; --n)
        expected.push_back(fmt::format("Too many failed attempts: restarting after {} second{}", n, n > 1 ? "s" : ""));
    std::lock_guard lock(mutex);
    EXPECT_EQ(countdown, expected);
}
