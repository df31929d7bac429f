#pragma once
// A software picture of a window's client area: the fills and lines painted into it.
#include "w32/windows.h"

#include <vector>

namespace w32::detail {

class Raster {
public:
    void resize(int width, int height);
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Fills [left, right) x [top, bottom) inside `clip`.
    void fill(const RECT& r, COLORREF colour, const RECT& clip);
    // A line from a to b without its last point, `width` pixels wide, inside `clip`.
    void line(POINT a, POINT b, COLORREF colour, int width, const RECT& clip);
    bool get(int x, int y, COLORREF& colour) const;
    // Rows of R, G, B bytes.
    std::vector<unsigned char> rgb() const;

private:
    void plot(int x, int y, COLORREF colour, const RECT& clip);
    int m_width = 0;
    int m_height = 0;
    std::vector<COLORREF> m_pixels;
};

} // namespace w32::detail
