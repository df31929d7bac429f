// Login and logout against the local service: the body it receives, the statuses that refuse
// the login, the failures that end the run, and a logout that must not hang.
#include "feed_fixture.h"

#include "foundation/user_error.h"

namespace {

class Session : public FeedTest {
protected:
    std::chrono::milliseconds loginAndMeasure(const std::function<void()>& login)
    {
        const auto before = platform::clock().steadyNow();
        login();
        return elapsed(before, platform::clock().steadyNow());
    }
    // The code and text of the user error a login raises, {0, ""} for none.
    static std::pair<int, std::string> refusal()
    {
        try {
            gf_authenticater();
        } catch (const brv::UserErrorException& e) {
            return {e.code(), e.what()};
        }
        return {0, ""};
    }
};

} // namespace

TEST_F(Session, LoginSendsKeyAndVersionAndStoresTheSession)
{
    writeLicense("  my key&=+/ä  \r\nsecond line\n");
    server.queue("/v4/auth", {200, R"({"status":200,"GUID":"abc","wrrl":3000})"});
    EXPECT_EQ(loginAndMeasure([] { gf_authenticater(); }), 3000ms);

    const auto requests = server.requests("/v4/auth");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].fields.size(), 2u);
    EXPECT_EQ(requests[0].body.rfind("license=my+key%26%3D%2B%2F%C3%A4&software=TRWK+11.0.4", 0), 0u);

    EXPECT_EQ(g_sessionGuid.get(), "abc");
    EXPECT_EQ(gf_trafficClient().guid.get(), "abc");
    EXPECT_EQ(gf_weatherClient().wrrl, 3000);
    EXPECT_TRUE(g_sessionActive);
    EXPECT_FALSE(g_stop);
    EXPECT_TRUE(folder.logHas("Waiting for authentication at RT server ..."));
    EXPECT_TRUE(folder.logHas("Authenticated at RT server '?'"));
    EXPECT_EQ(gf_statusLine().text, "");
    std::ifstream saved(g_parametersPath); // the next start holds back from this visit
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(saved), {}).find(R"("LAST_EPOCH_TIME:" value="1767225600")"),
              std::string::npos);
}

TEST_F(Session, AnswersWithoutRefusalAreSuccesses)
{
    server.queue("/v4/auth", {200, R"({"server":"rt7"})"});
    AuthRefusal refusal;
    EXPECT_TRUE(authenticate(refusal, "k"));
    EXPECT_EQ(g_sessionGuid.get(), "empty GUID?");
    EXPECT_TRUE(folder.logHas("Authenticated at RT server 'rt7'"));

    server.queue("/v4/auth", {200, R"({"status":"402","GUID":"g2","wrrl":0})"});
    EXPECT_TRUE(authenticate(refusal, "k"));
    EXPECT_EQ(g_sessionGuid.get(), "g2");
    EXPECT_EQ(refusal.status, 0);
    EXPECT_GT(gf_weatherClient().wrrl, 0); // an interval of 0 would make the reader spin
}

TEST_F(Session, RefusalsThatTheUserMustActOn)
{
    // the answer, its status and, for a key the service does not take, the text shown: the status
    // and the service's message, cut as the log line cuts it
    const std::string longMessage(300, 'm');
    const std::tuple<std::string, int, std::string> rows[] = {
        {R"({"status":402})", 402, ""},
        {R"({"status":404})", 404, ""},
        {R"({"status":405})", 405, ""},
        {R"({"status":401,"GUID":"g1","message":"unknown key"})", 401,
         "Authentication refused, status 401: unknown key"},
        {R"({"status":403,"message":"verify your email address"})", 403,
         "Authentication refused, status 403: verify your email address"},
        {fmt::format(R"({{"status":403,"message":"{}"}})", longMessage), 403,
         "Authentication refused, status 403: " + longMessage.substr(0, 256) + "..."},
        {R"({"status":401})", 401, "Authentication refused, status 401: "}};
    for (const auto& [body, code, shown] : rows) {
        server.queue("/v4/auth", {200, body});
        std::pair<int, std::string> raised;
        EXPECT_EQ(loginAndMeasure([&] { raised = refusal(); }), 10000ms) << body;
        const auto& [raisedCode, text] = raised;
        EXPECT_EQ(raisedCode, code) << body;
        EXPECT_TRUE(shown.empty() || text == shown) << text;
        EXPECT_EQ(gf_statusLine().text, text);
        EXPECT_TRUE(folder.logHas(text));
        EXPECT_TRUE(g_sessionGuid.empty()) << body;
        EXPECT_FALSE(g_stop) << "no restart: " << body;
    }
    EXPECT_TRUE(folder.logHas("More than one RealTraffic session is not possible, do not run the RealTraffic app"));

    server.queue("/v4/auth", {200, R"({"status":500})"});
    const auto waited = loginAndMeasure([] {
        try {
            gf_authenticater();
            ADD_FAILURE() << "500 must raise";
        } catch (const brv::UserErrorException&) {
            ADD_FAILURE() << "500 is no user error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "No RT database connection");
        }
    });
    EXPECT_EQ(waited, 0ms);
    EXPECT_EQ(LAST_EPOCH_TIME.value, 0) << "no session, no visit to hold back from";
}

TEST_F(Session, FailuresEndTheRunWithARestart)
{
    struct Case {
        std::string body;
        bool closeConnection;
        std::string logged;
        std::chrono::milliseconds waited;
    };
    const Case cases[] = {
        {"", true, "Thu Jan 01 00:00:00 2026 Authentication failed: ", 0ms},
        {R"({"status":400})", false, "The Authenticater has stopped with an error", 0ms},
        {"", false, "Authentication: empty response", 0ms},
        {"{not json", false, "===> authenticate: [json.exception.parse_error", 2000ms},
        // statuses with no path of their own: no session, the status and the service's message logged
        {R"({"status":503,"GUID":"g1","message":"down for maintenance"})", false,
         "===> Authentication refused, status 503: down for maintenance", 0ms},
        {R"({"status":201,"GUID":"g5"})", false, "===> Authentication refused, status 201: ", 0ms},
    };
    for (const Case& c : cases) {
        gf_resetShellState();
        ServiceAnswer answer{200, c.body};
        answer.closeConnection = c.closeConnection;
        server.queue("/v4/auth", answer);
        EXPECT_EQ(loginAndMeasure([] { gf_authenticater(); }), c.waited) << c.logged;
        EXPECT_FALSE(logWith(c.logged).empty()) << c.logged;
        EXPECT_EQ(g_sessionGuid.get(), "") << c.logged;
        EXPECT_TRUE(g_stop);
        EXPECT_EQ(g_runState, RunState::ReaderError);
        EXPECT_EQ(g_restartDelay, 15);
        EXPECT_EQ(gf_statusLine().text, "");
    }
    EXPECT_EQ(logWith("The Authenticater has stopped with an error").size(), std::size(cases));
}

TEST_F(Session, ALockOutRestartsTheRunAfterFiveMinutesWithTheServicesMessage)
{
    const std::pair<std::string, std::string> rows[] = {
        {R"({"status":429,"GUID":"g4","message":"Too many failed attempts"})", "Too many failed attempts"},
        {R"({"status":429})", "Authentication refused, status 429"}};
    for (const auto& [body, reason] : rows) {
        gf_resetShellState();
        server.queue("/v4/auth", {200, body});
        bool loggedIn = true;
        EXPECT_EQ(loginAndMeasure([&] { loggedIn = gf_authenticater(); }), 0ms) << body;
        EXPECT_FALSE(loggedIn);
        EXPECT_TRUE(g_sessionGuid.empty());
        EXPECT_EQ((std::tuple{g_stop.load(), g_runState.load(), g_restartDelay.load(), gf_restartReason()}),
                  (std::tuple{true, RunState::ReaderError, 300, reason}));
        EXPECT_EQ(gf_statusLine().text, reason) << "shown until the countdown takes it up";
    }
    EXPECT_TRUE(folder.logHas("===> Authentication refused, status 429: Too many failed attempts"));
    EXPECT_FALSE(folder.logHas("The Authenticater has stopped with an error"));
    EXPECT_EQ(server.count("/v4/auth"), 2u);
    gf_resetShellState();
}

TEST_F(Session, OnlyAccountType2IsProfessional)
{
    // the login sets the flag either way: it starts as the other
    const std::pair<const char*, bool> rows[] = {
        {R"("type":2)", true},     {R"("type":1)", false},    {R"("server":"s")", false}, {R"("type":"2")", false},
        {R"("type":2.0)", false},  {R"("type":3)", false},    {R"("type":-2)", false}, {R"("type":null)", false},
        {R"("type":[2])", false},  {R"("type":4294967298)", false}};
    for (const auto& [member, professional] : rows) {
        g_professionalAccount = !professional;
        server.queue("/v4/auth", {200, fmt::format(R"({{"status":200,"GUID":"abc","wrrl":100,{}}})", member)});
        EXPECT_TRUE(gf_authenticater()) << member;
        EXPECT_EQ(g_professionalAccount.load(), professional) << member;
        EXPECT_EQ(logWith("RT account type: ").back(),
                  professional ? "RT account type: professional" : "RT account type: standard")
            << member;
    }
    g_professionalAccount = false;
}

TEST_F(Session, AMissingOrEmptyLicenseNamesTheFile)
{
    const std::string path = std::filesystem::absolute(g_dataFolder / "rt_license.txt").string();
    for (const char* content : {"", "   \n key on the second line\n"}) {
        writeLicense(content);
        EXPECT_THAT(refusal().second, ::testing::HasSubstr(path));
    }
    std::filesystem::remove(g_dataFolder / "rt_license.txt");
    EXPECT_THROW(gf_readAccessKey(), brv::UserErrorException);
    EXPECT_EQ(server.count("/v4/auth"), 0u);
}

TEST_F(Session, LogoutsThatFailOrStallOnlyLogAndOneThatSucceedsEndsTheSession)
{
    login();
    g_transferLimits.lowSpeedSeconds = 1;
    for (const char* body : {R"({"message":"x"})", "[1,", "", R"({"status":"200"})"})
        server.queue("/v4/deauth", {200, body});
    server.queue("/v4/deauth", {200, "{}", true}); // never answered
    for (int i = 0; i < 5; ++i)
        deauthenticate(gf_trafficClient());
    EXPECT_TRUE(folder.logHas("===> Deauthentication failed, status: 100"));
    EXPECT_TRUE(folder.logHas("Deauthentication: invalid JSON"));
    EXPECT_TRUE(folder.logHas("Deauthentication: empty response"));
    EXPECT_EQ(logWith("===> deauthenticate: [json.exception.type_error").size(), 1u);
    EXPECT_EQ(logWith("Deauthentication failed: ").size(), 1u);
    EXPECT_EQ(gf_trafficClient().guid.get(), "abc");
    EXPECT_TRUE(g_sessionActive);
    server.releaseHanging();

    server.queue("/v4/deauth", {200, R"({"status":200,"message":"Goodbye","server":"rt3"})"});
    deauthenticate(gf_trafficClient());
    EXPECT_EQ(server.requests("/v4/deauth").back().body, "GUID=abc");
    EXPECT_TRUE(gf_trafficClient().guid.empty());
    EXPECT_EQ(g_sessionGuid.get(), "abc");
    EXPECT_FALSE(g_sessionActive);
    EXPECT_TRUE(folder.logHas("Goodbye RT server 'rt3'"));
}

TEST_F(Session, TheServiceIsReachedAtItsPublicAddressUnlessAnotherIsNamed)
{
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {std::nullopt, "https://rtwa.flyrealtraffic.com"},
        {"", "https://rtwa.flyrealtraffic.com"},
        {"http://127.0.0.1:5000//", "http://127.0.0.1:5000"}};
    for (const auto& [variable, address] : cases) {
        folder.setEnv("TRWK_RT_BASE_URL", variable);
        EXPECT_EQ(gf_rtBaseUrl(), address) << variable.value_or("unset");
    }
}
