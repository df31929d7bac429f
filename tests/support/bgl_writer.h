#pragma once
// Scenery BGL files made from the fields the reader takes: header, section table, subsection
// tables, airport records with helipads and taxiway parking lists, and raw records. Sizes and
// counts may be set to lie; cut the result anywhere for a truncated file.
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bglwriter {

inline void put(std::string& bytes, std::size_t at, std::uint32_t value, std::size_t width = 4)
{
    if (bytes.size() < at + width)
        bytes.resize(at + width, '\0');
    for (std::size_t i = 0; i < width; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}
inline std::uint32_t lonRaw(double lon) { return static_cast<std::uint32_t>(std::llround((lon + 180.0) * 3 * (1 << 28) / 360.0)); }
inline std::uint32_t latRaw(double lat) { return static_cast<std::uint32_t>(std::llround((90.0 - lat) * (1 << 29) / 180.0)); }
// "0"-"9" are the digits 2-11, "A"-"Z" 12-37, a blank 0: base 38, shifted left by 5
inline std::uint32_t identWord(std::string_view ident)
{
    std::uint32_t value = 0;
    for (const char c : ident)
        value = value * 38 + (c == ' ' ? 0 : (c <= '9' ? c - 46 : c - 53));
    return value << 5;
}

// A record of `length` bytes: id, then the size (its length unless given), then zeros.
inline std::string record(std::uint16_t id, std::size_t length, std::optional<std::uint32_t> size = {})
{
    std::string bytes(length, '\0');
    put(bytes, 0, id, 2);
    put(bytes, 2, size.value_or(static_cast<std::uint32_t>(length)));
    bytes.resize(length);
    return bytes;
}

struct Parking {
    std::uint32_t code = 10; // "g"
    std::uint32_t type = 1;
    std::uint32_t number = 1;
    std::uint32_t airlines = 0;
    float radius = 20.0F; // metres
    float heading = 90.0F;
    std::uint32_t lon = lonRaw(4.76);
    std::uint32_t lat = latRaw(52.3);
};

inline std::string parkingList(const std::vector<Parking>& parkings)
{
    std::string bytes = record(0xE7, 8);
    put(bytes, 6, static_cast<std::uint32_t>(parkings.size()), 2);
    for (const Parking& p : parkings) {
        const std::size_t at = bytes.size();
        put(bytes, at, p.code | p.type << 8 | p.number << 12 | p.airlines << 24);
        put(bytes, at + 4, std::bit_cast<std::uint32_t>(p.radius));
        put(bytes, at + 8, std::bit_cast<std::uint32_t>(p.heading));
        put(bytes, at + 28, p.lon);
        put(bytes, at + 32, p.lat);
        bytes.resize(at + 56 + 4 * p.airlines, 'K');
    }
    put(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

inline std::string helipad(double lat, double lon, float width = 30.0F, std::optional<std::uint32_t> size = {})
{
    std::string bytes = record(0x26, 36, size);
    put(bytes, 12, lonRaw(lon));
    put(bytes, 16, latRaw(lat));
    put(bytes, 28, std::bit_cast<std::uint32_t>(width));
    return bytes;
}

inline std::string airport(std::uint32_t ident, const std::string& subrecords = "", std::uint32_t altitudeMm = 0,
                           std::optional<std::uint32_t> size = {})
{
    std::string bytes = record(0x56, 68, size.value_or(static_cast<std::uint32_t>(68 + subrecords.size())));
    put(bytes, 20, altitudeMm);
    put(bytes, 40, ident);
    return bytes + subrecords;
}

struct Section {
    std::string records;
    std::uint32_t type = 3; // airports
    bool bit16 = false;     // the 20-byte subsection form, which the reader does not take
};

inline std::string file(const std::vector<Section>& sections, std::optional<std::uint32_t> count = {},
                        std::uint32_t headerSize = 56)
{
    std::string bytes(56 + 20 * sections.size(), '\0');
    put(bytes, 4, headerSize);
    put(bytes, 20, count.value_or(static_cast<std::uint32_t>(sections.size())));
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const std::size_t entry = 56 + 20 * i;
        const std::size_t table = bytes.size();
        put(bytes, entry, sections[i].type);
        put(bytes, entry + 4, 0x40000 | (sections[i].bit16 ? 0x10000 : 0));
        put(bytes, entry + 8, 1);
        put(bytes, entry + 12, static_cast<std::uint32_t>(table));
        put(bytes, table + 8, static_cast<std::uint32_t>(table + 16));
        put(bytes, table + 12, static_cast<std::uint32_t>(sections[i].records.size()));
        bytes += sections[i].records;
    }
    return bytes;
}

// Shaped like an add-on airport's scenery file: an airport record whose helipads and parking list
// lie among larger subrecords of other kinds (runways, aprons, taxiways), between two larger
// sections of other kinds.
inline std::string sceneryFile(std::string_view ident, std::uint32_t parkings, std::size_t otherBytes)
{
    std::vector<Parking> list;
    for (std::uint32_t i = 0; i < parkings; ++i)
        list.push_back({.code = 10 + i % 3, .type = 1 + i % 8, .number = i, .airlines = i % 4, .lon = lonRaw(4.7 + i * 1e-4)});
    std::string others;
    for (std::uint16_t id = 0x100; id < 0x120; ++id)
        others += record(id, 256 + 32 * (id % 8));
    const std::string subrecords = others + helipad(52.3, 4.7) + helipad(52.31, 4.7) + parkingList(list) + others;
    return file({{std::string(otherBytes, 'm'), 0x2B}, {airport(identWord(ident), subrecords, 3048)},
                 {std::string(otherBytes, 'n'), 0x65}});
}

} // namespace bglwriter
