#pragma once
// Login to and logout from the live-traffic service.
#include "feed/rt_api_client.h"

#include <cstdint>
#include <string>

// A login the service refused with a status that has a path of its own, and the service's
// message, cut as the log lines cut it.
struct AuthRefusal {
    std::int32_t status = 0; // 400, 401, 402, 403, 404, 405, 429 or 500; 0 for none
    std::string message;
};

// One login request on the weather client with the access key; true when a session id was
// stored. `refusal` receives the service's refusal.
bool authenticate(AuthRefusal& refusal, const std::string& accessKey);

// The answers in client.replyText, read without waiting; JSON errors raise. The login's: true when
// a session id was stored (status 200, or none that is an integer), the account type then set
// ("type" 2: professional, anything else standard) and logged; `refusal` set for a status with a
// path of its own; any other status is logged with the service's message and refuses as any
// other failure. The logout's: only logs.
bool gf_takeAuthAnswer(RtApiClient& client, AuthRefusal& refusal);
void gf_takeDeauthAnswer(RtApiClient& client);

// The login step of a run, on the control thread; true after a success. Returns false after a
// failure that ends the run as "READER ERROR": with a restart after 15 seconds, or after 300
// seconds with the service's message shown for a lock-out (429). Raises brv::UserErrorException
// for a missing access key and, after showing them for 10 seconds, for the refusals the user must
// act on (401, 402, 403, 404, 405); std::runtime_error "No RT database connection" for 500.
bool gf_authenticater();

// The logout with the client's copy of the session id (the traffic client), after both readers
// have finished. Only logs.
void deauthenticate(RtApiClient& client);
