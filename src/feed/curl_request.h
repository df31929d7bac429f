#pragma once
// The libcurl side of every request: owned handles, the write callback, the option set-up of
// the reader requests and the guards that keep a transfer from hanging.
#include <atomic>
#include <curl/curl.h>
#include <memory>
#include <string>
#include <string_view>


struct CurlHandleDeleter {
    void operator()(CURL* handle) const noexcept
    {
        if (handle != nullptr)
            curl_easy_cleanup(handle);
    }
};
using CurlHandle = std::unique_ptr<CURL, CurlHandleDeleter>;

// The failure texts of one handle, each naming the handle's prefix.
struct CurlHandleTexts {
    std::string_view prefix;
    std::string_view initFailed;
    std::string_view url;
    std::string_view acceptEncoding;
    std::string_view postFields;
    std::string_view postFieldSize;
    std::string_view writeFunction;
    std::string_view writeData;
};
extern const CurlHandleTexts g_aucurlTexts; // login and logout
extern const CurlHandleTexts g_trcurlTexts; // live traffic
extern const CurlHandleTexts g_ptcurlTexts; // parked traffic
extern const CurlHandleTexts g_wrcurlTexts; // weather
extern const CurlHandleTexts g_nmcurlTexts; // nearest METAR station

// A fresh easy handle (null when libcurl cannot make one); libcurl is initialised once first.
CurlHandle gf_newCurlHandle();
// As gf_newCurlHandle, raising std::runtime_error with the handle's init text for null.
CurlHandle gf_newCurlHandleOrThrow(const CurlHandleTexts& texts);

// Bounds of every transfer: a connection must be made within connectTimeoutMs, and a transfer
// that moves less than lowSpeedBytes per second for lowSpeedSeconds is given up.
struct TransferLimits {
    std::atomic<long> connectTimeoutMs{10000};
    std::atomic<long> lowSpeedBytes{1};
    std::atomic<long> lowSpeedSeconds{30};
};
extern TransferLimits g_transferLimits;

// Option set-up of a session request (login, logout) on a handle whose URL is set: accept-encoding,
// body, write callback into `reply`, a fresh connection. `body` must stay alive and unchanged
// until the transfer is done. Failures raise std::runtime_error with the handle's texts.
void gf_setPostOptions(CURL* handle, const CurlHandleTexts& texts, const std::string& body, std::string& reply);

// Time-outs and the abort: the transfer ends with CURLE_ABORTED_BY_CALLBACK soon after
// *abortFlag is set (nullptr: never). Results are not tested, as for the reuse options.
void gf_setTransferGuards(CURL* handle, const std::atomic<bool>* abortFlag);

// Option set-up of a reader request on its own handle: reset, URL, accept-encoding, body, write
// callback into `reply`, a fresh connection, the guards. `body` must stay alive and unchanged
// until the transfer is done. Failures raise std::runtime_error naming the handle's prefix.
void gf_prepareReaderRequest(CURL* handle, const CurlHandleTexts& texts, const std::string& url, const std::string& body,
                             std::string& reply, const std::atomic<bool>* abortFlag);
