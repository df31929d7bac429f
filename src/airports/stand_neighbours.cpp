#include "airports/stand_neighbours.h"

#include "foundation/geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <gsl/narrow>
#include <unordered_map>

namespace {

constexpr double lf_overlapFactor = 1.1;
constexpr double lf_earthRadiusNm = g_earthDiameterNm / 2.0;
// Levels of cell size 2^(level + 2) nm: a stand's reach (how far its circle can reach another
// one's centre) lies below 2^level. The smallest cells (about 0.9 m) stay far above the rounding
// of the positions; at the largest the globe lies within one cell and its neighbours.
constexpr int lf_minLevel = -13;
constexpr int lf_maxLevel = 11;
// a stand without a circle: two of them never overlap, so they are not put in the grid
constexpr int lf_noCircle = INT_MIN;

struct Point {
    double x, y, z; // nautical miles from the earth's centre
};

struct Cell {
    int level;
    std::int64_t x, y, z;
    bool operator==(const Cell&) const = default;
};

struct CellHash {
    std::size_t operator()(const Cell& c) const noexcept
    {
        std::uint64_t h = static_cast<std::uint64_t>(c.level);
        for (const std::int64_t v : {c.x, c.y, c.z})
            h = h * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(v);
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

Point lf_point(const Stand& s)
{
    const double lat = s.latitude * g_deg2rad;
    const double lon = s.longitude * g_deg2rad;
    return {lf_earthRadiusNm * std::cos(lat) * std::cos(lon), lf_earthRadiusNm * std::cos(lat) * std::sin(lon),
            lf_earthRadiusNm * std::sin(lat)};
}

int lf_level(const Stand& s)
{
    const double reach = s.radius / lf_overlapFactor;
    if (!(reach > 0.0))
        return lf_noCircle;
    int exponent = 0;
    (void)std::frexp(reach, &exponent); // reach < 2^exponent
    return std::clamp(exponent, lf_minLevel, lf_maxLevel);
}

Cell lf_cell(int level, const Point& p)
{
    const double size = std::ldexp(1.0, level + 2);
    return {level, static_cast<std::int64_t>(std::floor(p.x / size)), static_cast<std::int64_t>(std::floor(p.y / size)),
            static_cast<std::int64_t>(std::floor(p.z / size))};
}

} // namespace

std::size_t gf_numberStands(std::vector<Stand>& stands)
{
    const std::size_t n = stands.size();
    std::vector<Point> points(n);
    std::vector<int> levels(n);
    std::vector<int> used; // the levels that hold stands, rising
    std::unordered_map<Cell, std::vector<std::uint32_t>, CellHash> cells;
    for (std::size_t i = 0; i < n; ++i) {
        stands[i].id = gsl::narrow<std::uint32_t>(i + 1);
        stands[i].neighbours.clear();
        points[i] = lf_point(stands[i]);
        levels[i] = lf_level(stands[i]);
        if (levels[i] == lf_noCircle)
            continue;
        cells[lf_cell(levels[i], points[i])].push_back(static_cast<std::uint32_t>(i));
        if (std::find(used.begin(), used.end(), levels[i]) == used.end())
            used.insert(std::upper_bound(used.begin(), used.end(), levels[i]), levels[i]);
    }
    // Two stands of reach below 2^level overlap only within 2^(level + 1) of each other, well
    // inside the neighbouring cells of that level. Each pair is measured once: from the stand
    // of the lower level, or of the lower index at the same level.
    std::size_t measured = 0;
    for (std::size_t i = 0; i < n; ++i) {
        for (const int level : used) {
            if (level < levels[i])
                continue;
            const Cell centre = lf_cell(level, points[i]);
            for (std::int64_t dx = -1; dx <= 1; ++dx)
                for (std::int64_t dy = -1; dy <= 1; ++dy)
                    for (std::int64_t dz = -1; dz <= 1; ++dz) {
                        const auto found = cells.find(Cell{level, centre.x + dx, centre.y + dy, centre.z + dz});
                        if (found == cells.end())
                            continue;
                        for (const std::uint32_t j : found->second) {
                            if (j == i || (levels[j] == levels[i] && j < i))
                                continue;
                            Stand& a = stands[std::min<std::size_t>(i, j)];
                            Stand& b = stands[std::max<std::size_t>(i, j)];
                            ++measured;
                            const double d =
                                gf_distanceNm(LatLon{a.latitude, a.longitude}, LatLon{b.latitude, b.longitude});
                            if (a.radius + b.radius > lf_overlapFactor * d) {
                                a.neighbours.push_back(b.id);
                                b.neighbours.push_back(a.id);
                            }
                        }
                    }
        }
    }
    for (Stand& s : stands) {
        if (!std::is_sorted(s.neighbours.begin(), s.neighbours.end())) // cells met out of order
            std::sort(s.neighbours.begin(), s.neighbours.end());
        s.neighbours.shrink_to_fit();
    }
    return measured;
}
