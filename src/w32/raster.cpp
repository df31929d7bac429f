#include "w32/raster.h"

#include <algorithm>
#include <cstdlib>

namespace w32::detail {

void Raster::resize(int width, int height)
{
    if (width == m_width && height == m_height)
        return;
    m_width = std::max(0, width);
    m_height = std::max(0, height);
    m_pixels.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), RGB(0, 0, 0));
}

void Raster::fill(const RECT& r, COLORREF colour, const RECT& clip)
{
    const int left = std::max({0, static_cast<int>(r.left), static_cast<int>(clip.left)});
    const int top = std::max({0, static_cast<int>(r.top), static_cast<int>(clip.top)});
    const int right = std::min({m_width, static_cast<int>(r.right), static_cast<int>(clip.right)});
    const int bottom = std::min({m_height, static_cast<int>(r.bottom), static_cast<int>(clip.bottom)});
    for (int y = top; y < bottom; ++y)
        std::fill_n(m_pixels.begin() + static_cast<std::ptrdiff_t>(y) * m_width + left, std::max(0, right - left),
                    colour);
}

void Raster::plot(int x, int y, COLORREF colour, const RECT& clip)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom)
        return;
    m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x)] = colour;
}

void Raster::line(POINT a, POINT b, COLORREF colour, int width, const RECT& clip)
{
    // Bresenham; the end point itself is left out, as line drawing does.
    long x = a.x;
    long y = a.y;
    const long dx = std::labs(static_cast<long>(b.x) - a.x);
    const long dy = -std::labs(static_cast<long>(b.y) - a.y);
    const long sx = a.x < b.x ? 1 : -1;
    const long sy = a.y < b.y ? 1 : -1;
    long err = dx + dy;
    const int w = std::max(1, width);
    const int before = (w - 1) / 2;
    while (x != b.x || y != b.y) {
        for (int oy = 0; oy < w; ++oy)
            for (int ox = 0; ox < w; ++ox)
                plot(static_cast<int>(x) - before + ox, static_cast<int>(y) - before + oy, colour, clip);
        const long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

bool Raster::get(int x, int y, COLORREF& colour) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return false;
    colour = m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x)];
    return true;
}

std::vector<unsigned char> Raster::rgb() const
{
    std::vector<unsigned char> out;
    out.reserve(m_pixels.size() * 3);
    for (const COLORREF c : m_pixels) {
        out.push_back(static_cast<unsigned char>(c & 0xFF));
        out.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
        out.push_back(static_cast<unsigned char>((c >> 16) & 0xFF));
    }
    return out;
}

} // namespace w32::detail
