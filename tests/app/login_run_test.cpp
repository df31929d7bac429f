// Runs against the model simulator whose login the local service answers: the refused key that
// waits for the user, and the lock-out that waits five minutes before the next login.
#include "app_fixture.h"

#include "app/control_thread.h"
#include "support/manual_time.h"

#include <fmt/format.h>

using testsupport::AppTest;
using testsupport::eventually;
using testsupport::ServiceAnswer;

namespace {

class LoginRun : public AppTest {
protected:
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
        driver.reset(); // it sleeps on the program's clock, which may be the test's
    }
};

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
