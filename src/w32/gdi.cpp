// Brushes, pens and device contexts; every drawing call is recorded, drawn into the window's
// raster and handed to the back-end.
#include "w32/backend.h"
#include "w32/core.h"

#include <utility>

using namespace w32::detail;
using w32::testing::DrawOp;

namespace {

Id lf_newObject(const GdiObject& object)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const Id id = core.nextId++;
    core.gdi.emplace(id, object);
    return id;
}

// Runs f on the device context under the lock; the result of f, or `missing` when there is no
// such device context.
template <class R, class F> R lf_withDc(HDC hdc, R missing, F&& f)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const auto it = core.dcs.find(gf_idOf(hdc));
    if (it == core.dcs.end())
        return missing;
    return f(core, it->second);
}

// Records a drawing operation, draws it into the raster and hands it to the back-end.
bool lf_emit(HDC hdc, DrawOp op)
{
    Core& core = gf_core();
    Id window = 0;
    RECT clip{};
    {
        std::lock_guard lock(core.mutex);
        const auto it = core.dcs.find(gf_idOf(hdc));
        if (it == core.dcs.end())
            return false;
        DcRec& dc = it->second;
        dc.ops.push_back(op);
        if (!dc.paint)
            return true;
        WindowRec* w = gf_findWindow(core, dc.window);
        if (w == nullptr)
            return true;
        window = w->id;
        clip = dc.clip;
        if (op.kind == DrawOp::Kind::erase || op.kind == DrawOp::Kind::fillRect) {
            w->raster.fill(op.rect, op.colour, clip);
        } else if (op.kind == DrawOp::Kind::polyline) {
            for (std::size_t i = 1; i < op.points.size(); ++i)
                w->raster.line(op.points[i - 1], op.points[i], op.colour, op.penWidth, clip);
        }
    }
    gf_backend().draw(window, op, clip);
    return true;
}

} // namespace

namespace w32::detail {

bool gf_fill(HDC hdc, const RECT& rect, HBRUSH brush, DrawOp::Kind kind)
{
    DrawOp op;
    op.kind = kind;
    op.rect = rect;
    const bool found = lf_withDc(hdc, false, [&](Core& core, DcRec& dc) {
        const auto it = core.gdi.find(gf_idOf(brush));
        if (it == core.gdi.end() || it->second.kind != GdiObject::Kind::brush)
            return false;
        op.colour = it->second.dcBrush ? dc.dcBrushColour : it->second.colour;
        return true;
    });
    return found && lf_emit(hdc, op);
}

} // namespace w32::detail

HBRUSH CreateSolidBrush(COLORREF colour)
{
    return gf_handle<HBRUSH>(lf_newObject(GdiObject{GdiObject::Kind::brush, colour & 0xFFFFFF, 1, false, false}));
}

HPEN CreatePen(int style, int width, COLORREF colour)
{
    if (style != PS_SOLID)
        return nullptr;
    return gf_handle<HPEN>(lf_newObject(GdiObject{GdiObject::Kind::pen, colour & 0xFFFFFF, width < 1 ? 1 : width,
                                                  false, false}));
}

BOOL DeleteObject(HGDIOBJ object)
{
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const auto it = core.gdi.find(gf_idOf(object));
    if (it == core.gdi.end())
        return FALSE;
    if (!it->second.stock)
        core.gdi.erase(it);
    return TRUE;
}

HGDIOBJ GetStockObject(int index)
{
    switch (index) {
    case BLACK_BRUSH:
        return gf_handle<HGDIOBJ>(kStockBlackBrush);
    case DC_BRUSH:
        return gf_handle<HGDIOBJ>(kStockDcBrush);
    default:
        return nullptr;
    }
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    return lf_withDc(hdc, HGDIOBJ{nullptr}, [&](Core& core, DcRec& dc) -> HGDIOBJ {
        const Id id = gf_idOf(object);
        const auto it = core.gdi.find(id);
        if (it == core.gdi.end())
            return nullptr;
        if (it->second.kind == GdiObject::Kind::pen) {
            const Id previous = dc.pen;
            dc.pen = id;
            dc.penColour = it->second.colour;
            dc.penWidth = it->second.width;
            return gf_handle<HGDIOBJ>(previous);
        }
        const Id previous = dc.brush;
        dc.brush = id;
        return gf_handle<HGDIOBJ>(previous);
    });
}

int SetBkMode(HDC hdc, int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return lf_withDc(hdc, 0, [&](Core&, DcRec& dc) { return std::exchange(dc.bkMode, mode); });
}

COLORREF SetBkColor(HDC hdc, COLORREF colour)
{
    return lf_withDc(hdc, COLORREF{0xFFFFFFFF},
                     [&](Core&, DcRec& dc) { return std::exchange(dc.bkColour, colour & 0xFFFFFF); });
}

COLORREF SetTextColor(HDC hdc, COLORREF colour)
{
    return lf_withDc(hdc, COLORREF{0xFFFFFFFF},
                     [&](Core&, DcRec& dc) { return std::exchange(dc.textColour, colour & 0xFFFFFF); });
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    if (rect == nullptr)
        return 0;
    return gf_fill(hdc, *rect, brush, DrawOp::Kind::fillRect) ? 1 : 0;
}

BOOL Polyline(HDC hdc, const POINT* points, int count)
{
    if (points == nullptr || count < 2)
        return FALSE;
    DrawOp op;
    op.kind = DrawOp::Kind::polyline;
    op.points.assign(points, points + count);
    const bool found = lf_withDc(hdc, false, [&](Core&, DcRec& dc) {
        op.colour = dc.penColour;
        op.penWidth = dc.penWidth;
        return true;
    });
    return found && lf_emit(hdc, std::move(op)) ? TRUE : FALSE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count)
{
    if (count < 0 || (text == nullptr && count > 0))
        return FALSE;
    DrawOp op;
    op.kind = DrawOp::Kind::textOut;
    op.x = x;
    op.y = y;
    op.text.assign(text == nullptr ? u"" : text, static_cast<std::size_t>(count));
    const bool found = lf_withDc(hdc, false, [&](Core&, DcRec& dc) {
        op.colour = dc.textColour;
        op.bkMode = dc.bkMode;
        op.bkColour = dc.bkColour;
        return true;
    });
    return found && lf_emit(hdc, std::move(op)) ? TRUE : FALSE;
}
