#pragma once
// Random damage to a valid input, as disks and add-on authors produce it: bytes replaced, pieces
// cut out or doubled, structural bytes inserted, and, where asked, files cut short or stuffed with
// long runs. Fixed seeds keep every run repeatable.
#include <cstddef>
#include <random>
#include <string>
#include <string_view>

namespace testsupport {

struct Mutations {
    int maxChanges = 4;          // 1..maxChanges changes a round
    std::size_t maxErase = 16;   // longest piece cut out
    std::size_t maxDouble = 24;  // longest piece doubled
    bool cutShort = false;       // may end the text at a random place
    std::size_t longRun = 0;     // may insert a run of one letter up to this long (0: never)
};

inline std::string mutate(std::string text, std::mt19937& engine, std::string_view specials, const Mutations& m = {})
{
    const int changes = 1 + static_cast<int>(engine() % static_cast<unsigned>(m.maxChanges));
    const unsigned kinds = 4 + (m.cutShort ? 1 : 0) + (m.longRun > 0 ? 1 : 0);
    for (int i = 0; i < changes && !text.empty(); ++i) {
        const std::size_t at = engine() % text.size();
        unsigned kind = engine() % kinds;
        if (kind == 4 && !m.cutShort)
            kind = 5;
        switch (kind) {
        case 0:
            text[at] = static_cast<char>(engine() & 0xFF);
            break;
        case 1:
            text.erase(at, 1 + engine() % m.maxErase);
            break;
        case 2:
            text.insert(at, text.substr(at, 1 + engine() % m.maxDouble));
            break;
        case 4:
            text.resize(at);
            break;
        case 5:
            text.insert(at, std::string(1 + engine() % m.longRun, static_cast<char>('a' + engine() % 26)));
            break;
        default:
            text.insert(at, 1, specials[engine() % specials.size()]);
            break;
        }
    }
    return text;
}

} // namespace testsupport
