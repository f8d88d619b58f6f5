// What the question box shows of its buttons and icon, painted without a
// display: anti-aliased rounded shapes on the window's background.

#include <algorithm>
#include <cmath>

#include "platform/x_dialog.h"

namespace xdialog {

std::uint32_t buttonFillColour(const ViewState& view, int button) {
    // A button looks pressed only while the pointer that pressed it is still on it.
    const bool pressed = view.pressed == button && view.hover == button;
    const bool hover = view.hover == button;
    if (view.focus == button)
        return pressed ? palette::accentPressed : hover ? palette::accentHover : palette::accent;
    return pressed ? palette::buttonPressed : hover ? palette::buttonHover : palette::buttonFill;
}

namespace {

constexpr float kButtonRadius = 5.0f;
constexpr std::uint32_t kSeparator = 0xe2d3bc;  // the hairline above the buttons

std::uint32_t blend(std::uint32_t under, std::uint32_t over, float a) {
    if (a <= 0.0f) return under;
    if (a >= 1.0f) return over;
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const float u = static_cast<float>((under >> shift) & 0xff);
        const float o = static_cast<float>((over >> shift) & 0xff);
        out |= static_cast<std::uint32_t>(std::lround(u + (o - u) * a)) << shift;
    }
    return out;
}

// Signed distance from a pixel centre to a rounded rectangle (negative inside).
float roundedBoxDistance(float px, float py, float x, float y, float w, float h, float r) {
    const float qx = std::fabs(px - (x + w / 2)) - (w / 2 - r);
    const float qy = std::fabs(py - (y + h / 2)) - (h / 2 - r);
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

// Paints a rounded rectangle with soft (one pixel wide) edges.
void fillRounded(std::vector<std::uint32_t>& px, int width, int height, float x, float y, float w,
                 float h, float r, std::uint32_t colour) {
    const int x0 = std::max(0, static_cast<int>(std::floor(x)));
    const int y0 = std::max(0, static_cast<int>(std::floor(y)));
    const int x1 = std::min(width, static_cast<int>(std::ceil(x + w)));
    const int y1 = std::min(height, static_cast<int>(std::ceil(y + h)));
    for (int j = y0; j < y1; ++j)
        for (int i = x0; i < x1; ++i) {
            const float d = roundedBoxDistance(i + 0.5f, j + 0.5f, x, y, w, h, r);
            const float coverage = std::min(1.0f, std::max(0.0f, 0.5f - d));
            std::uint32_t& p = px[static_cast<size_t>(j) * width + i];
            p = blend(p, colour, coverage);
        }
}

}  // namespace

std::vector<std::uint32_t> paintBackground(const Layout& l, const ViewState& view) {
    std::vector<std::uint32_t> px(static_cast<size_t>(l.width) * l.height, palette::background);
    // The button band, with a hairline above it.
    for (int j = l.footerY; j < l.height; ++j)
        std::fill_n(px.begin() + static_cast<long>(j) * l.width, l.width,
                    j == l.footerY ? kSeparator : palette::footer);
    // The icon: a copper disc; its question mark is text, drawn later.
    fillRounded(px, l.width, l.height, l.icon.x, l.icon.y, l.icon.w, l.icon.h, l.icon.w / 2.0f,
                palette::accent);
    // The buttons: a 1px border around a flat fill.
    for (int i = 0; i < kButtonCount; ++i) {
        const Box& b = l.buttons[i];
        const std::uint32_t border = view.focus == i ? palette::accentBorder : palette::buttonBorder;
        fillRounded(px, l.width, l.height, b.x, b.y, b.w, b.h, kButtonRadius, border);
        fillRounded(px, l.width, l.height, b.x + 1, b.y + 1, b.w - 2, b.h - 2, kButtonRadius - 1,
                    buttonFillColour(view, i));
    }
    return px;
}

}  // namespace xdialog
