#pragma once
// Scenery BGL files made from the fields the reader takes: header, section table, subsection
// tables, airport records with helipads and taxiway parking lists, and raw records. Sizes and
// counts may be set to lie; cut the result anywhere for a truncated file.
#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bglwriter {

// little-endian u32 fields {offset, value}, later ones over earlier ones
inline std::string bytes(std::size_t length, std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields)
{
    std::string b(length, '\0');
    for (const auto& [at, value] : fields)
        for (std::size_t i = 0; i < 4; ++i)
            b.at(at + i) = static_cast<char>(value >> (8 * i));
    return b;
}
inline std::uint32_t f32(float value) { return std::bit_cast<std::uint32_t>(value); }
inline std::uint32_t raw(double value) { return static_cast<std::uint32_t>(std::llround(value)); }
inline std::uint32_t lonRaw(double lon) { return raw((lon + 180.0) / 360.0 * 805306368.0); } // 3 x 2^28
inline std::uint32_t latRaw(double lat) { return raw((90.0 - lat) / 180.0 * 536870912.0); }  // 2^29
// base 38, shifted left by 5: a blank is 0, "0"-"9" are 2-11, "A"-"Z" 12-37
inline std::uint32_t identWord(std::string_view ident)
{
    std::uint32_t value = 0;
    for (const char c : ident)
        value = value * 38 + (c == ' ' ? 0 : (c <= '9' ? c - 46 : c - 53));
    return value << 5;
}

// Id and size (the length unless given) in the header, then the fields.
inline std::string record(std::uint16_t id, std::size_t length,
                          std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields = {},
                          std::optional<std::uint32_t> size = {})
{
    const std::uint32_t header = size.value_or(static_cast<std::uint32_t>(length));
    return bytes(length, fields).replace(0, 6, bytes(6, {{0, id}, {2, header}}));
}
inline std::string helipad(double lat, double lon, float width = 30.0F, std::optional<std::uint32_t> size = {})
{
    return record(0x26, 36, {{12, lonRaw(lon)}, {16, latRaw(lat)}, {28, f32(width)}}, size);
}
inline std::string airport(std::uint32_t ident, const std::string& subrecords = "", std::uint32_t altitudeMm = 0,
                           std::optional<std::uint32_t> size = {})
{
    const std::uint32_t header = size.value_or(static_cast<std::uint32_t>(68 + subrecords.size()));
    return record(0x56, 68, {{20, altitudeMm}, {40, ident}}, header) + subrecords;
}

struct Parking {
    std::uint32_t code = 10, type = 1, number = 1, airlines = 0; // code 10: "g"
    float radius = 20.0F, heading = 90.0F;                       // metres, degrees
    std::uint32_t lon = lonRaw(4.76), lat = latRaw(52.3);
};
inline std::string parkingList(const std::vector<Parking>& parkings)
{
    std::string entries;
    for (const Parking& p : parkings)
        entries += bytes(56 + 4 * p.airlines, {{0, p.code | p.type << 8 | p.number << 12 | p.airlines << 24},
                                               {4, f32(p.radius)}, {8, f32(p.heading)}, {28, p.lon}, {32, p.lat}});
    const auto size = static_cast<std::uint32_t>(8 + entries.size());
    return record(0xE7, 8, {{4, static_cast<std::uint32_t>(parkings.size()) << 16}}, size) + entries; // count at +6
}

struct Section {
    std::string records;
    std::uint32_t type = 3; // airports
    bool bit16 = false;     // the 20-byte subsection form, which the reader does not take
};
// Header, section table, then each section's subsection table and records.
inline std::string file(const std::vector<Section>& sections, std::optional<std::uint32_t> count = {},
                        std::uint32_t headerSize = 56)
{
    const auto n = static_cast<std::uint32_t>(sections.size());
    std::string b = bytes(56, {{4, headerSize}, {20, count.value_or(n)}});
    std::string tables;
    for (const Section& s : sections) {
        const auto table = static_cast<std::uint32_t>(56 + 20 * n + tables.size());
        b += bytes(20, {{0, s.type}, {4, s.bit16 ? 0x50000U : 0x40000U}, {8, 1}, {12, table}});
        tables += bytes(16, {{8, table + 16}, {12, static_cast<std::uint32_t>(s.records.size())}}) + s.records;
    }
    return b + tables;
}

// Header and a table of `entries` airport sections that all name the one subsection table after
// it, and so the same records.
inline std::string sameRecordsFile(std::uint32_t entries, const std::string& records)
{
    const std::uint32_t table = 56 + 20 * entries;
    std::string b = bytes(56, {{4, 56}, {20, entries}});
    b.reserve(table + 16 + records.size());
    const std::string entry = bytes(20, {{0, 3}, {4, 0x40000U}, {8, 1}, {12, table}});
    for (std::uint32_t i = 0; i < entries; ++i)
        b += entry;
    return b + bytes(16, {{8, table + 16}, {12, static_cast<std::uint32_t>(records.size())}}) + records;
}

} // namespace bglwriter
