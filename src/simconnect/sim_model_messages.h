#pragma once
// Building the model's queued messages from receive records.
#include "simconnect/sim_model.h"

#include <cstring>
#include <type_traits>

inline constexpr std::uint32_t g_simModelInterfaceVersion = 6;

// A message of record `rec` (its head is filled here) followed by `extra` bytes.
template <class Record>
SimModelMessage gf_makeSimMessage(Record rec, std::uint32_t id, const std::byte* extra = nullptr,
                                  std::size_t extraSize = 0)
{
    static_assert(std::is_trivially_copyable_v<Record>);
    SimModelMessage m;
    const std::size_t size = sizeof(Record) + extraSize;
    rec.dwSize = static_cast<std::uint32_t>(size);
    rec.dwVersion = g_simModelInterfaceVersion;
    rec.dwID = id;
    m.storage.assign((size + 7) / 8, 0);
    auto* bytes = reinterpret_cast<std::byte*>(m.storage.data());
    std::memcpy(bytes, &rec, sizeof(Record));
    if (extraSize > 0)
        std::memcpy(bytes + sizeof(Record), extra, extraSize);
    m.size = static_cast<std::uint32_t>(size);
    return m;
}

// Copies text into a fixed zero-terminated field, cut to fit.
template <std::size_t N>
void gf_copyFixedText(char (&field)[N], const std::string& text)
{
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}
