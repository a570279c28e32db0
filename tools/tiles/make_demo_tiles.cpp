// Draws the satellite pictures the local tile server hands out: sixteen 256 × 256 JPEG files
// "sat_0.jpg" to "sat_15.jpg" of made-up fields, woods and water, so the map has something to
// show without the internet; and "slow.jpg", a flat 1024 × 1024 progressive JPEG of 20000 scans
// that takes seconds to decode, for the tile server's /slow/ fault.
//
// usage: make_demo_tiles FOLDER

#include "tiles/tile_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

using crv::map::RgbaImage;

constexpr int kSide = 256;
constexpr int kVariants = 16;
constexpr int kSlowScans = 20000;

uint32_t rgb(int r, int g, int b) {
    auto channel = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return 0xFF000000 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

// A patchwork of fields in earthy colours with grain, and now and then a pond.
RgbaImage terrain(unsigned seed) {
    std::mt19937 random(seed * 7919 + 17);
    std::uniform_int_distribution<int> grain(-12, 12);
    const uint32_t palette[] = {rgb(96, 118, 62), rgb(128, 140, 78), rgb(70, 96, 52),
                                rgb(150, 132, 92), rgb(110, 104, 70)};
    RgbaImage picture(kSide, kSide, palette[0]);
    const int columns = 2 + static_cast<int>(random() % 3);
    const int rows = 2 + static_cast<int>(random() % 3);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const int field = (x * columns / kSide + 3 * (y * rows / kSide) + int(seed)) % 5;
            const uint32_t base = palette[field];
            const int shade = grain(random) + ((x + y + int(seed)) % 9 == 0 ? -14 : 0);
            picture.pixels[size_t(y) * kSide + x] = rgb(int(base >> 16 & 0xFF) + shade,
                                                        int(base >> 8 & 0xFF) + shade,
                                                        int(base & 0xFF) + shade);
        }
    }
    if (seed % 3 == 0) {
        const double cx = 60 + random() % 136, cy = 60 + random() % 136, r = 20 + random() % 30;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                if (std::hypot(x - cx, (y - cy) * 1.4) < r) {
                    picture.pixels[size_t(y) * kSide + x] = rgb(52, 84, 110 + grain(random));
                }
            }
        }
    }
    return picture;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_tiles FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    auto write = [&](const std::string& name, const std::vector<uint8_t>& file) {
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        if (!out) {
            std::fprintf(stderr, "make_demo_tiles: cannot write into %s\n", argv[1]);
        }
        return bool(out);
    };
    for (unsigned variant = 0; variant < kVariants; ++variant) {
        if (!write("sat_" + std::to_string(variant) + ".jpg",
                   crv::tiles::encodeJpeg(terrain(variant)))) {
            return 1;
        }
    }
    return write("slow.jpg", crv::tiles::encodeManyScanJpeg(RgbaImage(1024, 1024, rgb(96, 118, 62)),
                                                            kSlowScans))
               ? 0
               : 1;
}
