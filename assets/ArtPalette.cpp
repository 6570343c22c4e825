// Palettes for the 8-bit pictures.
#include "ArtCanvas.h"

#include <array>
#include <map>

namespace art {

Indexed exactPalette(const Image& img, Color key, int keyIndex)
{
    Indexed out;
    out.w = img.w;
    out.h = img.h;
    out.palette.assign(256, rgb(0, 0, 0));
    out.palette[keyIndex] = key;
    std::map<Color, int> index;
    index[Clear] = keyIndex;
    index[rgb(0, 0, 0)] = 0;
    int next = 1;
    out.idx.resize(img.px.size());
    for (std::size_t i = 0; i < img.px.size(); ++i) {
        Color c = img.px[i];
        auto it = index.find(c);
        if (it == index.end()) {
            if (c == key)
                throw std::runtime_error("picture uses its own key colour as a pixel");
            if (next == keyIndex)
                ++next;
            if (next >= 256)
                throw std::runtime_error("picture needs more than 256 colours");
            out.palette[next] = c;
            it = index.emplace(c, next++).first;
        }
        out.idx[i] = std::uint8_t(it->second);
    }
    return out;
}

namespace {
struct Box {
    std::vector<Color> cols;  // distinct colours
    std::vector<long> cnt;
};

Color average(const Box& b)
{
    double r = 0, g = 0, bl = 0, n = 0;
    for (std::size_t i = 0; i < b.cols.size(); ++i) {
        r += red(b.cols[i]) * double(b.cnt[i]);
        g += green(b.cols[i]) * double(b.cnt[i]);
        bl += blue(b.cols[i]) * double(b.cnt[i]);
        n += double(b.cnt[i]);
    }
    return rgb(int(std::lround(r / n)), int(std::lround(g / n)), int(std::lround(bl / n)));
}
}  // namespace

Indexed reduced(const Image& img, int count, bool dither)
{
    std::map<Color, long> hist;
    for (Color c : img.px)
        hist[c == Clear ? rgb(0, 0, 0) : c]++;
    std::vector<Box> boxes(1);
    for (auto& [c, n] : hist) {
        boxes[0].cols.push_back(c);
        boxes[0].cnt.push_back(n);
    }
    // Median cut, the black entry kept aside.
    while (int(boxes.size()) < count - 1) {
        int best = -1;
        double bestScore = 0;
        int bestAxis = 0;
        for (int b = 0; b < int(boxes.size()); ++b) {
            if (boxes[b].cols.size() < 2)
                continue;
            for (int axis = 0; axis < 3; ++axis) {
                int lo = 255, hi = 0;
                long total = 0;
                for (std::size_t i = 0; i < boxes[b].cols.size(); ++i) {
                    int v = axis == 0   ? red(boxes[b].cols[i])
                            : axis == 1 ? green(boxes[b].cols[i])
                                        : blue(boxes[b].cols[i]);
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                    total += boxes[b].cnt[i];
                }
                double score = double(hi - lo) * std::sqrt(double(total));
                if (score > bestScore) {
                    bestScore = score;
                    best = b;
                    bestAxis = axis;
                }
            }
        }
        if (best < 0)
            break;
        Box& b = boxes[best];
        std::vector<std::size_t> order(b.cols.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        auto key = [&](std::size_t i) {
            Color c = b.cols[i];
            return bestAxis == 0 ? red(c) : bestAxis == 1 ? green(c) : blue(c);
        };
        std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return key(x) < key(y); });
        long total = 0;
        for (long n : b.cnt)
            total += n;
        long acc = 0;
        std::size_t cut = 1;
        for (std::size_t i = 0; i < order.size() - 1; ++i) {
            acc += b.cnt[order[i]];
            cut = i + 1;
            if (acc * 2 >= total)
                break;
        }
        Box lo, hi;
        for (std::size_t i = 0; i < order.size(); ++i) {
            Box& t = i < cut ? lo : hi;
            t.cols.push_back(b.cols[order[i]]);
            t.cnt.push_back(b.cnt[order[i]]);
        }
        boxes[best] = std::move(lo);
        boxes.push_back(std::move(hi));
    }
    Indexed out;
    out.w = img.w;
    out.h = img.h;
    out.palette.push_back(rgb(0, 0, 0));
    for (auto& b : boxes)
        out.palette.push_back(average(b));
    while (out.palette.size() < 256)
        out.palette.push_back(rgb(0, 0, 0));
    int used = int(boxes.size()) + 1;
    std::map<Color, int> cache;
    auto nearest = [&](int r, int g, int b) {
        Color c = rgb(r, g, b);
        auto it = cache.find(c);
        if (it != cache.end())
            return it->second;
        int best = 0;
        long bestD = 1L << 40;
        for (int i = 0; i < used; ++i) {
            long dr = red(out.palette[i]) - r, dg = green(out.palette[i]) - g, db = blue(out.palette[i]) - b;
            long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < bestD) {
                bestD = d;
                best = i;
            }
        }
        cache[c] = best;
        return best;
    };
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    out.idx.resize(img.px.size());
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            Color c = img.px[std::size_t(y) * img.w + x];
            if (c == Clear)
                c = rgb(0, 0, 0);
            int d = dither ? (bayer[y & 3][x & 3] - 8) / 2 : 0;
            out.idx[std::size_t(y) * img.w + x] = std::uint8_t(nearest(red(c) + d, green(c) + d, blue(c) + d));
        }
    return out;
}

}  // namespace art
