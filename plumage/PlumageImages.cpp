// The brand pictures, drawn at load time so the library carries no image
// files: a bird in flight over a sky gradient with a horizon band. Stable:
// the same pixels every call.
#include <plumage/plumage.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

using plumage::Bitmap;

struct Pt { double x, y; };

uint32_t rgb(int r, int g, int b)
{
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

uint32_t mix(uint32_t a, uint32_t b, double t)
{
    auto ch = [&](int s) {
        const double va = (a >> s) & 0xFF, vb = (b >> s) & 0xFF;
        return uint32_t(std::lround(va + (vb - va) * t)) << s;
    };
    return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

// Even-odd scanline fill of a polygon given in unit coordinates (0..1).
void fillPolygon(Bitmap& bm, const std::vector<Pt>& unit, uint32_t colour)
{
    std::vector<Pt> p;
    for (auto q : unit) p.push_back({q.x * bm.width, q.y * bm.height});
    for (int y = 0; y < bm.height; ++y) {
        const double sy = y + 0.5;
        std::vector<double> xs;
        for (size_t i = 0; i < p.size(); ++i) {
            const Pt a = p[i], b = p[(i + 1) % p.size()];
            if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy))
                xs.push_back(a.x + (sy - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2) {
            const int x0 = std::max(0, int(std::ceil(xs[i] - 0.5)));
            const int x1 = std::min(bm.width - 1, int(std::floor(xs[i + 1] - 0.5)));
            for (int x = x0; x <= x1; ++x) bm.pixels[size_t(y) * bm.width + x] = colour;
        }
    }
}

void fillDisc(Bitmap& bm, double cx, double cy, double r, uint32_t colour)
{
    for (int y = 0; y < bm.height; ++y)
        for (int x = 0; x < bm.width; ++x) {
            const double dx = (x + 0.5) / bm.width - cx, dy = ((y + 0.5) / bm.height - cy) * bm.height / bm.width;
            if (dx * dx + dy * dy <= r * r) bm.pixels[size_t(y) * bm.width + x] = colour;
        }
}

Bitmap sky(int w, int h)
{
    Bitmap bm{w, h, std::vector<uint32_t>(size_t(w) * h)};
    const uint32_t top = rgb(18, 52, 110), bottom = rgb(120, 170, 220);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bm.pixels[size_t(y) * w + x] = mix(top, bottom, double(y) / (h - 1));
    return bm;
}

// A bird seen from below: two swept wings, a body and a forked tail.
void drawBird(Bitmap& bm, double ox, double oy, double s, uint32_t colour)
{
    auto tr = [&](std::vector<Pt> v) {
        for (auto& q : v) q = {ox + q.x * s, oy + q.y * s};
        return v;
    };
    fillPolygon(bm, tr({{0.00, 0.10}, {0.20, 0.00}, {0.42, 0.18}, {0.50, 0.22}, {0.40, 0.26}, {0.18, 0.12}}), colour);
    fillPolygon(bm, tr({{1.00, 0.10}, {0.80, 0.00}, {0.58, 0.18}, {0.50, 0.22}, {0.60, 0.26}, {0.82, 0.12}}), colour);
    fillPolygon(bm, tr({{0.46, 0.14}, {0.54, 0.14}, {0.56, 0.34}, {0.62, 0.44}, {0.50, 0.38}, {0.38, 0.44}, {0.44, 0.34}}), colour);
}

Bitmap drawLogo()
{
    Bitmap bm = sky(320, 120);
    fillDisc(bm, 0.82, 0.30, 0.09, rgb(250, 210, 90));
    fillPolygon(bm, {{0.0, 0.78}, {1.0, 0.70}, {1.0, 1.0}, {0.0, 1.0}}, rgb(30, 90, 60));
    fillPolygon(bm, {{0.0, 0.86}, {1.0, 0.80}, {1.0, 0.84}, {0.0, 0.90}}, rgb(230, 230, 230));
    drawBird(bm, 0.08, 0.14, 0.36, rgb(245, 245, 245));
    drawBird(bm, 0.50, 0.42, 0.14, rgb(220, 230, 245));
    return bm;
}

Bitmap drawIcon(int size)
{
    Bitmap bm = sky(size, size);
    drawBird(bm, 0.05, 0.22, 0.90, rgb(255, 255, 255));
    // a frame so the icon reads on any background
    const uint32_t edge = rgb(10, 30, 70);
    for (int i = 0; i < size; ++i) {
        bm.pixels[i] = bm.pixels[size_t(size - 1) * size + i] = edge;
        bm.pixels[size_t(i) * size] = bm.pixels[size_t(i) * size + size - 1] = edge;
    }
    return bm;
}

}  // namespace

bool getLogo(plumage::Bitmap& logo)
{
    static const Bitmap cached = drawLogo();
    logo = cached;
    return true;
}

const plumage::Icon* getParIcon()
{
    static const plumage::Icon icon{drawIcon(32), drawIcon(16)};
    return &icon;
}
