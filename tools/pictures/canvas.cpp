#include "pictures/canvas.h"
#include "pictures/words.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb shade(Rgb c, double f) {
    if (f <= 1.0) return {c.r * f, c.g * f, c.b * f};
    return mix(c, pal::white, std::min(1.0, f - 1.0));
}

Rng::Rng(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {
    if (state == 0) state = 1;
    for (int i = 0; i < 4; ++i) next();
}

uint32_t Rng::next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return static_cast<uint32_t>((state * 0x2545F4914F6CDD1Dull) >> 32);
}

double Rng::uni() { return next() / 4294967296.0; }
double Rng::range(double lo, double hi) { return lo + (hi - lo) * uni(); }
int Rng::below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<uint32_t>(n)); }

static inline uint32_t hash2(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

double valueNoise(double x, double y, uint32_t seed) {
    double fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const double k = 1.0 / 4294967295.0;
    double a = hash2(ix, iy, seed) * k, b = hash2(ix + 1, iy, seed) * k;
    double c = hash2(ix, iy + 1, seed) * k, d = hash2(ix + 1, iy + 1, seed) * k;
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double fbm(double x, double y, uint32_t seed, int octaves) {
    double sum = 0, amp = 0.5, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise(x, y, seed + static_cast<uint32_t>(o) * 101u);
        norm += amp;
        x *= 2.03;
        y *= 2.03;
        amp *= 0.5;
    }
    return sum / norm;
}

namespace {

cairo_surface_t* scaledSurface(int w, int h, double scale) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (scale != 1.0) cairo_surface_set_device_scale(s, scale, scale);
    return s;
}

double deviceScale(cairo_surface_t* s) {
    double sx = 1, sy = 1;
    cairo_surface_get_device_scale(s, &sx, &sy);
    return sx;
}

}  // namespace

Canvas::Canvas(int width, int height, double scale_)
    : w(width),
      h(height),
      scale(scale_),
      pw(static_cast<int>(std::lround(width * scale_))),
      ph(static_cast<int>(std::lround(height * scale_))) {
    surface = scaledSurface(pw, ph, scale);
    cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_BEST);
    if (scale != 1.0) {
        // Lettering laid out in units, not snapped to this scale's pixels,
        // so that it stands where it does at every other.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_set_font_options(cr, options);
        cairo_font_options_destroy(options);
    }
}

cairo_surface_t* Canvas::layer() const { return scaledSurface(pw, ph, scale); }

Canvas::~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

void Canvas::grain(double strength, uint32_t seed) {
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    Rng rng(seed);
    // At a scale of one, a draw for each pixel with any alpha, in order; at
    // any other, a draw for each unit, at its centre, and between the centres
    // the blend of the four around: the same grain at every scale, whatever
    // the pixels it falls on.
    std::vector<double> perUnit;
    if (scale != 1.0) {
        perUnit.resize(static_cast<size_t>(w) * h);
        for (double& v : perUnit) v = rng.uni();
    }
    auto unitGrain = [&](int x, int y) {
        const double ux = std::clamp((x + 0.5) / scale - 0.5, 0.0, w - 1.0);
        const double uy = std::clamp((y + 0.5) / scale - 0.5, 0.0, h - 1.0);
        const int x0 = std::min(static_cast<int>(ux), w - 2 < 0 ? 0 : w - 2), y0 = std::min(static_cast<int>(uy), h - 2 < 0 ? 0 : h - 2);
        const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
        const double tx = ux - x0, ty = uy - y0;
        auto at = [&](int cx, int cy) { return perUnit[static_cast<size_t>(cy) * w + cx]; };
        return (at(x0, y0) * (1 - tx) + at(x1, y0) * tx) * (1 - ty) + (at(x0, y1) * (1 - tx) + at(x1, y1) * tx) * ty;
    };
    for (int y = 0; y < ph; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < pw; ++x) {
            uint32_t p = row[x];
            int a = p >> 24;
            if (a == 0) continue;
            const double u = perUnit.empty() ? rng.uni() : unitGrain(x, y);
            int n = static_cast<int>((u - 0.5) * 2 * strength * a);
            int r = std::clamp(static_cast<int>((p >> 16) & 255) + n, 0, a);
            int g = std::clamp(static_cast<int>((p >> 8) & 255) + n, 0, a);
            int b = std::clamp(static_cast<int>(p & 255) + n, 0, a);
            row[x] = (static_cast<uint32_t>(a) << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface);
}

void Canvas::pixel(int x, int y, uint8_t rgba[4]) const {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
    int a = p >> 24;
    auto un = [a](int v) { return a == 0 ? 0 : std::min(255, (v * 255 + a / 2) / a); };
    rgba[0] = static_cast<uint8_t>(un((p >> 16) & 255));
    rgba[1] = static_cast<uint8_t>(un((p >> 8) & 255));
    rgba[2] = static_cast<uint8_t>(un(p & 255));
    rgba[3] = static_cast<uint8_t>(a);
}

bool Canvas::savePng(const std::string& path) {
    cairo_surface_flush(surface);
    return cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

bool Canvas::saveJpeg(const std::string& path, int quality, bool fullChroma) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    // Flatten onto black: a JPEG has no alpha, and premultiplied values are
    // exactly the colours composed over black.
    std::vector<unsigned char> rgb(static_cast<size_t>(pw) * ph * 3);
    for (int y = 0; y < ph; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < pw; ++x) {
            uint32_t p = row[x];
            unsigned char* o = &rgb[(static_cast<size_t>(y) * pw + x) * 3];
            o[0] = (p >> 16) & 255;
            o[1] = (p >> 8) & 255;
            o[2] = p & 255;
        }
    }
    tjhandle tj = tjInitCompress();
    if (!tj) return false;
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    int rc = tjCompress2(tj, rgb.data(), pw, pw * 3, ph, TJPF_RGB, &jpeg, &size,
                         fullChroma ? TJSAMP_444 : TJSAMP_420, quality, TJFLAG_ACCURATEDCT);
    bool ok = rc == 0;
    if (ok) {
        FILE* f = std::fopen(path.c_str(), "wb");
        ok = f && std::fwrite(jpeg, 1, size, f) == size;
        if (f) ok = (std::fclose(f) == 0) && ok;
    }
    tjFree(jpeg);
    tjDestroy(tj);
    return ok;
}

void setRgb(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

void ellipsePath(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

void shadeFillPreserve(cairo_t* cr, Rgb base, double x, double y, double w, double h,
                       double strength) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x, y, x + w * 0.6, y + h);
    Rgb hi = shade(base, 1.0 + strength * 0.8);
    Rgb lo = shade(base, 1.0 - strength);
    cairo_pattern_add_color_stop_rgb(p, 0, hi.r, hi.g, hi.b);
    cairo_pattern_add_color_stop_rgb(p, 0.45, base.r, base.g, base.b);
    cairo_pattern_add_color_stop_rgb(p, 1, lo.r, lo.g, lo.b);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
}

void roundShadeFillPreserve(cairo_t* cr, Rgb base, double cx, double cy, double r,
                            double strength) {
    cairo_pattern_t* p =
        cairo_pattern_create_radial(cx - r * 0.35, cy - r * 0.4, r * 0.05, cx, cy, r * 1.05);
    Rgb hi = shade(base, 1.0 + strength * 0.9);
    Rgb lo = shade(base, 1.0 - strength);
    cairo_pattern_add_color_stop_rgb(p, 0, hi.r, hi.g, hi.b);
    cairo_pattern_add_color_stop_rgb(p, 0.5, base.r, base.g, base.b);
    cairo_pattern_add_color_stop_rgb(p, 1, lo.r, lo.g, lo.b);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
}

void highlight(cairo_t* cr, double cx, double cy, double rx, double ry, double alpha) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
}

void paintPixels(cairo_t* cr, int x0, int y0, int w, int h,
                 const std::function<Rgb(double, double)>& f, double alpha) {
    if (w <= 0 || h <= 0) return;
    // Each pixel's colour is f at its centre, in units, less half a unit:
    // whole units at a scale of one, as the pattern was first drawn.
    const double scale = deviceScale(cairo_get_group_target(cr));
    const int pw = static_cast<int>(std::lround(w * scale)), ph = static_cast<int>(std::lround(h * scale));
    cairo_surface_t* s = scaledSurface(pw, ph, scale);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < ph; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
        const double uy = scale == 1.0 ? y0 + y : y0 + (y + 0.5) / scale - 0.5;
        for (int x = 0; x < pw; ++x) {
            const double ux = scale == 1.0 ? x0 + x : x0 + (x + 0.5) / scale - 0.5;
            Rgb c = f(ux, uy);
            auto q = [](double v) {
                return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
            };
            row[x] = 0xFF000000u | (q(c.r) << 16) | (q(c.g) << 8) | q(c.b);
        }
    }
    cairo_surface_mark_dirty(s);
    cairo_save(cr);
    cairo_set_source_surface(cr, s, x0, y0);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
    cairo_surface_destroy(s);
}

static void boxBlurPass(std::vector<float>& buf, int w, int h, int r, bool horizontal) {
    std::vector<float> out(buf.size());
    int n = horizontal ? w : h, lines = horizontal ? h : w;
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> float& {
            return horizontal ? buf[static_cast<size_t>(l) * w + i] : buf[static_cast<size_t>(i) * w + l];
        };
        auto outAt = [&](int i) -> float& {
            return horizontal ? out[static_cast<size_t>(l) * w + i] : out[static_cast<size_t>(i) * w + l];
        };
        double sum = 0;
        for (int i = -r; i <= r; ++i) sum += at(std::clamp(i, 0, n - 1));
        for (int i = 0; i < n; ++i) {
            outAt(i) = static_cast<float>(sum / (2 * r + 1));
            sum += at(std::min(i + r + 1, n - 1)) - at(std::max(i - r, 0));
        }
    }
    buf.swap(out);
}

void blurSurface(cairo_surface_t* s, int radius) {
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int r = std::max(1, static_cast<int>(radius * deviceScale(s)) / 2);
    for (int ch = 0; ch < 4; ++ch) {
        std::vector<float> buf(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                buf[static_cast<size_t>(y) * w + x] =
                    static_cast<float>((reinterpret_cast<uint32_t*>(data + y * stride)[x] >> (ch * 8)) & 255);
        for (int pass = 0; pass < 3; ++pass) {
            boxBlurPass(buf, w, h, r, true);
            boxBlurPass(buf, w, h, r, false);
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t& p = reinterpret_cast<uint32_t*>(data + y * stride)[x];
                uint32_t v = static_cast<uint32_t>(std::clamp(
                    std::lround(buf[static_cast<size_t>(y) * w + x]), 0L, 255L));
                p = (p & ~(255u << (ch * 8))) | (v << (ch * 8));
            }
    }
    cairo_surface_mark_dirty(s);
}

void softShadow(Canvas& c, const std::function<void(cairo_t*)>& shape, double radius,
                double alpha, double dx, double dy, Rgb colour) {
    cairo_surface_t* s = c.layer();
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, 1);
    shape(cr);
    cairo_fill(cr);
    cairo_destroy(cr);
    blurSurface(s, static_cast<int>(radius));
    cairo_save(c.cr);
    cairo_set_source_surface(c.cr, s, dx, dy);
    cairo_paint_with_alpha(c.cr, alpha);
    cairo_restore(c.cr);
    cairo_surface_destroy(s);
}

void glow(cairo_t* cr, double cx, double cy, double r, Rgb colour, double alpha) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
    cairo_pattern_add_color_stop_rgba(p, 0, colour.r, colour.g, colour.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 0.4, colour.r, colour.g, colour.b, alpha * 0.45);
    cairo_pattern_add_color_stop_rgba(p, 1, colour.r, colour.g, colour.b, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

static void selectFont(cairo_t* cr, const TextStyle& st) {
    cairo_select_font_face(cr, st.family,
                           st.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           st.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, st.size);
}

double textWidth(cairo_t* cr, const std::string& text, const TextStyle& st) {
    cairo_save(cr);
    selectFont(cr, st);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    cairo_restore(cr);
    return ext.x_advance;
}

double drawText(cairo_t* cr, const std::string& text, double x, double y, Align align,
                const TextStyle& st) {
    if (drawnText) drawnText->push_back(text);
    cairo_save(cr);
    selectFont(cr, st);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    double left = x;
    if (align == Align::Centre) left = x - ext.x_advance / 2;
    if (align == Align::Right) left = x - ext.x_advance;
    if (st.shadow > 0) {
        for (int i = 3; i >= 1; --i) {
            cairo_new_path(cr);
            cairo_move_to(cr, left + st.shadow * 0.6, y + st.shadow);
            cairo_text_path(cr, text.c_str());
            cairo_set_source_rgba(cr, 0, 0, 0, 0.12);
            cairo_set_line_width(cr, i * st.shadow * 0.7);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_stroke_preserve(cr);
            cairo_fill(cr);
        }
    }
    cairo_new_path(cr);
    cairo_move_to(cr, left, y);
    cairo_text_path(cr, text.c_str());
    if (st.outline > 0) {
        setRgb(cr, st.outlineColour);
        cairo_set_line_width(cr, st.outline);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    setRgb(cr, st.fill, st.fillAlpha);
    cairo_fill(cr);
    cairo_restore(cr);
    return ext.x_advance;
}
