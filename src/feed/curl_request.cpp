#include "feed/curl_request.h"

#include "foundation/log.h"

#include <exception>
#include <fmt/format.h>
#include <mutex>
#include <stdexcept>

TransferLimits g_transferLimits;

const CurlHandleTexts g_aucurlTexts{"aucurl_",
                                    "aucurl_ curl_easy_init() failed",
                                    "Failed to set CURLOPT_URL",
                                    "aucurl_ failed to set CURLOPT_ACCEPT_ENCODING",
                                    "aucurl_: failed to set POSTFIELDS",
                                    "aucurl_: failed to set POSTFIELDSIZE",
                                    "aucurl_ failed to set CURLOPT_WRITEFUNCTION",
                                    "aucurl_ failed to set CURLOPT_WRITEDATA"};
const CurlHandleTexts g_trcurlTexts{"trcurl_",
                                    "trcurl_ curl_easy_init() failed",
                                    "trcurl_: failed to set URL",
                                    "trcurl_ failed to set CURLOPT_ACCEPT_ENCODING",
                                    "trcurl_: failed to set POSTFIELDS",
                                    "trcurl_: failed to set POSTFIELDSIZE",
                                    "trcurl_ failed to set CURLOPT_WRITEFUNCTION",
                                    "trcurl_ failed to set CURLOPT_WRITEDATA"};
const CurlHandleTexts g_ptcurlTexts{"ptcurl_",
                                    "ptcurl_ curl_easy_init() failed",
                                    "ptcurl_: failed to set URL",
                                    "ptcurl_ failed to set CURLOPT_ACCEPT_ENCODING",
                                    "ptcurl_: failed to set POSTFIELDS",
                                    "ptcurl_: failed to set POSTFIELDSIZE",
                                    "ptcurl_ failed to set CURLOPT_WRITEFUNCTION",
                                    "ptcurl_ failed to set CURLOPT_WRITEDATA"};
const CurlHandleTexts g_wrcurlTexts{"wrcurl_",
                                    "wrcurl_ curl_easy_init() failed",
                                    "wrcurl_: failed to set URL",
                                    "wrcurl_ failed to set CURLOPT_ACCEPT_ENCODING",
                                    "wrcurl_: failed to set POSTFIELDS",
                                    "wrcurl_: failed to set POSTFIELDSIZE",
                                    "wrcurl_ failed to set CURLOPT_WRITEFUNCTION",
                                    "wrcurl_ failed to set CURLOPT_WRITEDATA"};
const CurlHandleTexts g_nmcurlTexts{"nmcurl_",
                                    "nmcurl_ curl_easy_init() failed",
                                    "nmcurl_: failed to set URL",
                                    "nmcurl_ failed to set CURLOPT_ACCEPT_ENCODING",
                                    "nmcurl_: failed to set POSTFIELDS",
                                    "nmcurl_: failed to set POSTFIELDSIZE",
                                    "nmcurl_ failed to set CURLOPT_WRITEFUNCTION",
                                    "nmcurl_ failed to set CURLOPT_WRITEDATA"};

namespace {

std::once_flag g_curlInitOnce;

// progress callback: a non-zero result aborts the transfer
int lf_abortCheck(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* abort = static_cast<const std::atomic<bool>*>(flag);
    return (abort != nullptr && abort->load()) ? 1 : 0;
}

void lf_check(CURLcode result, std::string_view text)
{
    if (result != CURLE_OK)
        throw std::runtime_error(std::string(text));
}

// the write callback of every request; `target` is the std::string that collects the reply
std::size_t lf_callbackwriter(char* data, std::size_t size, std::size_t count, void* target)
{
    if (target == nullptr)
        return 0;
    const std::size_t n = size * count;
    try {
        static_cast<std::string*>(target)->append(data, n);
    } catch (const std::exception& e) {
        try {
            gf_logError(fmt::format("{}: append exception: {}", "lf_callbackwriter", e.what()));
        } catch (...) {
        }
        return 0; // libcurl ends the transfer with a write error
    }
    return n;
}

} // namespace

CurlHandle gf_newCurlHandle()
{
    std::call_once(g_curlInitOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return CurlHandle(curl_easy_init());
}

CurlHandle gf_newCurlHandleOrThrow(const CurlHandleTexts& texts)
{
    CurlHandle handle = gf_newCurlHandle();
    if (!handle)
        throw std::runtime_error(std::string(texts.initFailed));
    return handle;
}

void gf_setTransferGuards(CURL* handle, const std::atomic<bool>* abortFlag)
{
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, g_transferLimits.connectTimeoutMs.load());
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, g_transferLimits.lowSpeedBytes.load());
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, g_transferLimits.lowSpeedSeconds.load());
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &lf_abortCheck);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(abortFlag));
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
}

void gf_prepareReaderRequest(CURL* handle, const CurlHandleTexts& texts, const std::string& url, const std::string& body,
                             std::string& reply, const std::atomic<bool>* abortFlag)
{
    if (handle == nullptr)
        throw std::runtime_error(std::string(texts.initFailed));
    curl_easy_reset(handle); // every earlier option dropped
    lf_check(curl_easy_setopt(handle, CURLOPT_URL, url.c_str()), texts.url);
    gf_setPostOptions(handle, texts, body, reply);
    gf_setTransferGuards(handle, abortFlag);
}

void gf_setPostOptions(CURL* handle, const CurlHandleTexts& texts, const std::string& body, std::string& reply)
{
    if (handle == nullptr)
        throw std::runtime_error(std::string(texts.initFailed));
    lf_check(curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "deflate,gzip"), texts.acceptEncoding);
    lf_check(curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str()), texts.postFields);
    lf_check(curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size())), texts.postFieldSize);
    lf_check(curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &lf_callbackwriter), texts.writeFunction);
    lf_check(curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reply), texts.writeData);
    curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
}
