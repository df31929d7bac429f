#include "airports/stand_neighbours.h"

#include "foundation/geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <gsl/narrow>
#include <unordered_map>
#include <utility>

namespace {

constexpr double lf_overlapFactor = 1.1;
constexpr double lf_earthRadiusNm = g_earthDiameterNm / 2.0;
// Levels of cell size 2^(level + 2) nm: a stand's reach (how far its circle can reach another
// one's centre) lies below 2^level. The smallest cells (about 0.1 mm) stay far above the rounding
// of the positions, and stands a few millimetres across packed together (a handmade or hostile
// file) spread over cells of their own size instead of sharing one; at the largest the globe lies
// within one cell and its neighbours.
constexpr int lf_minLevel = -26;
constexpr int lf_maxLevel = 11;
// a stand without a circle: two of them never overlap
constexpr int lf_noCircle = INT_MIN;
// more than the rounding of a point's coordinates (some 1e-12 nm) can move it
constexpr double lf_roundingNm = 1e-9;

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

// The cells of this level that hold every point within 2^(level + 1) of p.
std::pair<Cell, Cell> lf_cellsAround(int level, const Point& p)
{
    const double reach = std::ldexp(1.0, level + 1) + lf_roundingNm;
    return {lf_cell(level, {p.x - reach, p.y - reach, p.z - reach}),
            lf_cell(level, {p.x + reach, p.y + reach, p.z + reach})};
}

bool lf_overlap(const Stand& a, const Point& pa, const Stand& b, const Point& pb)
{
    // the chord is never longer than the arc: a pair this far apart needs no great circle
    const double dx = pa.x - pb.x;
    const double dy = pa.y - pb.y;
    const double dz = pa.z - pb.z;
    const double chord = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (a.radius + b.radius <= lf_overlapFactor * (chord - lf_roundingNm))
        return false;
    return a.radius + b.radius >
           lf_overlapFactor * gf_distanceNm(LatLon{a.latitude, a.longitude}, LatLon{b.latitude, b.longitude});
}

// The stands put in so far, found by where they lie. A stand goes into its cell of its own level
// ("own") and into its cells of that level and every higher one that holds stands ("below"); a
// stand without a circle goes into "below" at every level. Two stands overlap only within
// 2^(level + 1) of each other at the larger of their levels: a stand finds each stand put in
// that may overlap it once, in the cells around it that hold such points, in "below" at its own
// level (the stands of that level or smaller) or in "own" at a higher level.
class StandGrid {
public:
    explicit StandGrid(const std::vector<Stand>& stands)
        : m_stands(stands), m_points(stands.size()), m_levels(stands.size())
    {
        for (std::size_t i = 0; i < stands.size(); ++i) {
            m_points[i] = lf_point(stands[i]);
            m_levels[i] = lf_level(stands[i]);
            if (m_levels[i] != lf_noCircle && std::find(m_used.begin(), m_used.end(), m_levels[i]) == m_used.end())
                m_used.insert(std::upper_bound(m_used.begin(), m_used.end(), m_levels[i]), m_levels[i]);
        }
    }

    void insert(std::uint32_t i)
    {
        if (m_levels[i] != lf_noCircle)
            m_own[lf_cell(m_levels[i], m_points[i])].push_back(i);
        for (const int level : m_used)
            if (level >= m_levels[i])
                m_below[lf_cell(level, m_points[i])].push_back(i);
    }

    // Calls found(j) for each stand j put in whose circle overlaps stand i's, as long as found
    // returns true; returns the number of pairs whose distance was measured.
    template <class Found>
    std::size_t forEachOverlapping(std::uint32_t i, Found found) const
    {
        std::size_t measured = 0;
        for (const int level : m_used) {
            if (level < m_levels[i])
                continue;
            const auto [low, high] = lf_cellsAround(level, m_points[i]);
            const Cells& cells = level == m_levels[i] ? m_below : m_own;
            for (std::int64_t x = low.x; x <= high.x; ++x)
                for (std::int64_t y = low.y; y <= high.y; ++y)
                    for (std::int64_t z = low.z; z <= high.z; ++z) {
                        const auto cell = cells.find(Cell{level, x, y, z});
                        if (cell == cells.end())
                            continue;
                        for (const std::uint32_t j : cell->second) {
                            ++measured;
                            const std::uint32_t a = std::min(i, j);
                            const std::uint32_t b = std::max(i, j);
                            if (lf_overlap(m_stands[a], m_points[a], m_stands[b], m_points[b]) && !found(j))
                                return measured;
                        }
                    }
        }
        return measured;
    }

private:
    using Cells = std::unordered_map<Cell, std::vector<std::uint32_t>, CellHash>;
    const std::vector<Stand>& m_stands;
    std::vector<Point> m_points;
    std::vector<int> m_levels;
    std::vector<int> m_used; // the levels that hold stands with a circle, rising
    Cells m_own;
    Cells m_below;
};

} // namespace

std::size_t gf_numberStands(std::vector<Stand>& stands)
{
    for (std::size_t i = 0; i < stands.size(); ++i) {
        stands[i].id = gsl::narrow<std::uint32_t>(i + 1);
        stands[i].neighbours.clear();
    }
    // each pair measured once, from its later stand
    StandGrid grid(stands);
    std::size_t measured = 0;
    for (std::uint32_t i = 0; i < stands.size(); ++i) {
        measured += grid.forEachOverlapping(i, [&stands, i](std::uint32_t j) {
            stands[i].neighbours.push_back(stands[j].id);
            stands[j].neighbours.push_back(stands[i].id);
            return true;
        });
        grid.insert(i);
    }
    for (Stand& s : stands) {
        if (!std::is_sorted(s.neighbours.begin(), s.neighbours.end())) // cells met out of order
            std::sort(s.neighbours.begin(), s.neighbours.end());
        s.neighbours.shrink_to_fit();
    }
    return measured;
}

std::size_t gf_removeCrowdedStands(std::vector<Stand>& stands, std::size_t from)
{
    if (from >= stands.size()) // nothing to judge: a learned file without stands of its own
        return 0;
    std::vector<bool> crowded(stands.size());
    {
        StandGrid grid(stands);
        for (std::uint32_t i = 0; i < stands.size(); ++i) {
            std::size_t overlapped = 0;
            if (i >= from)
                (void)grid.forEachOverlapping(i, [&overlapped](std::uint32_t) {
                    return ++overlapped <= g_maxOverlappedStands;
                });
            crowded[i] = overlapped > g_maxOverlappedStands;
            if (!crowded[i])
                grid.insert(i);
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < stands.size(); ++i) {
        if (crowded[i])
            continue;
        if (kept != i) // not moved onto itself
            stands[kept] = std::move(stands[i]);
        ++kept;
    }
    const std::size_t removed = stands.size() - kept;
    stands.erase(stands.begin() + static_cast<std::ptrdiff_t>(kept), stands.end());
    return removed;
}
