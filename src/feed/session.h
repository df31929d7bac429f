#pragma once
// Login to and logout from the live-traffic service.
#include "feed/rt_api_client.h"

#include <cstdint>
#include <string>

// One login request on the weather client with the access key; true when a session id was
// stored. `status` receives the service's refusal code (400, 402, 404, 405, 500).
bool authenticate(std::int32_t& status, const std::string& accessKey);

// The answers in client.replyText, read without waiting; JSON errors raise. The login's: true when
// a session id was stored (status 200, or none that is an integer), `status` set to a refusal code
// with a path of its own; any other status is logged with the service's message and refuses as any
// other failure. The logout's: only logs.
bool gf_takeAuthAnswer(RtApiClient& client, std::int32_t& status);
void gf_takeDeauthAnswer(RtApiClient& client);

// The login step of a run, on the control thread. Returns after a success, and after a failure
// that ends the run as "READER ERROR". Raises brv::UserErrorException for a missing access key
// and for the refusals 402, 404 and 405 (after showing them for 10 seconds), and
// std::runtime_error "No RT database connection" for 500.
void gf_authenticater();

// The logout with the client's copy of the session id (the traffic client), after both readers
// have finished. Only logs.
void deauthenticate(RtApiClient& client);
