#include "map/tile_image.h"
#include "tiles/tile_encoder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace crv::map {
namespace {

RgbaImage gradient(int width, int height, uint8_t alpha = 0xFF) {
    RgbaImage picture(width, height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.pixels[size_t(y) * width + x] =
                uint32_t{alpha} << 24 | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | 0x40;
        }
    }
    return picture;
}

std::optional<RgbaImage> jpegOf(const std::vector<uint8_t>& file) {
    RgbaImage picture;
    return decodeJpeg(file, picture) ? std::optional(picture) : std::nullopt;
}

std::optional<RgbaImage> pngOf(const std::vector<uint8_t>& file) {
    RgbaImage picture;
    return decodePng(file, picture) ? std::optional(picture) : std::nullopt;
}

bool near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > tolerance) {
            return false;
        }
    }
    return true;
}

TEST(TileImageTest, DecodesJpegAndPngFilesOfTheirLayers) {
    const RgbaImage original = gradient(256, 256);
    const auto jpeg = jpegOf(tiles::encodeJpeg(original, 95));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->width, 256);
    EXPECT_EQ(jpeg->height, 256);
    EXPECT_TRUE(near(jpeg->at(200, 30), original.at(200, 30), 12)) << std::hex << jpeg->at(200, 30);
    EXPECT_EQ(jpeg->at(5, 5) >> 24, 0xFFu) << "JPEG pixels are opaque";

    const RgbaImage seeThrough = gradient(256, 256, 0x80);
    const auto png = pngOf(tiles::encodePng(seeThrough));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->pixels, seeThrough.pixels) << "PNG keeps every pixel and its alpha";

    RgbaImage reused = *jpeg;
    ASSERT_TRUE(decodePng(tiles::encodePng(gradient(10, 20, 0x40)), reused));
    EXPECT_EQ(reused.width, 10);
    EXPECT_EQ(reused.pixels, gradient(10, 20, 0x40).pixels) << "nothing of the old picture is left";
    ASSERT_TRUE(decodeJpeg(tiles::encodeJpeg(original, 95), reused));
    EXPECT_EQ(reused.pixels, jpeg->pixels);
}

// Damaged files come from the cache or the network; each must fail cleanly, never crash.
TEST(TileImageTest, RefusesDamagedOrForeignFiles) {
    const auto jpeg = tiles::encodeJpeg(gradient(256, 256));
    const auto png = tiles::encodePng(gradient(256, 256));
    auto cut = [](std::vector<uint8_t> file, size_t size) {
        file.resize(size);
        return file;
    };
    auto scrambled = [](std::vector<uint8_t> file) {
        for (size_t i = file.size() / 3; i < file.size(); i += 7) {
            file[i] ^= 0x5A;
        }
        return file;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
    };
    const Case jpegCases[] = {
        {"empty", {}},
        {"mark only", {0xFF, 0xD8}},
        {"cut in half", cut(jpeg, jpeg.size() / 2)},
        {"scrambled", scrambled(jpeg)},
        {"a PNG", png},
        {"an error page", std::vector<uint8_t>(300, '<')},
    };
    for (const Case& c : jpegCases) {
        EXPECT_FALSE(jpegOf(c.file)) << c.what;
    }
    const Case pngCases[] = {
        {"empty", {}},
        {"cut in half", cut(png, png.size() / 2)},
        {"scrambled", scrambled(png)},
        {"a JPEG", jpeg},
    };
    for (const Case& c : pngCases) {
        EXPECT_FALSE(pngOf(c.file)) << c.what;
    }
}

TEST(TileImageTest, RefusesPicturesTooLargeToBeTiles) {
    EXPECT_FALSE(pngOf(tiles::encodePng(RgbaImage(kMaxDecodedSide + 1, 1, 0))));
    EXPECT_FALSE(jpegOf(tiles::encodeJpeg(RgbaImage(1, kMaxDecodedSide + 1, 0xFF000000))));
    EXPECT_TRUE(pngOf(tiles::encodePng(RgbaImage(kMaxDecodedSide, 1, 0))));

    // Within the sides, the pixels in all are bounded too.
    EXPECT_TRUE(jpegOf(tiles::encodeJpeg(RgbaImage(1024, 1024, 0xFF000000))));
    EXPECT_FALSE(jpegOf(tiles::encodeJpeg(RgbaImage(1025, 1024, 0xFF000000))));
    EXPECT_TRUE(pngOf(tiles::encodePng(RgbaImage(kMaxDecodedSide, 512, 0))));
    EXPECT_FALSE(pngOf(tiles::encodePng(RgbaImage(kMaxDecodedSide, 513, 0))));
}

// Every scan of a progressive file is a pass over the whole picture: a few hundred kilobytes of
// scans took seconds to decode. Past the scan limit the file counts as undecodable, at once.
TEST(TileImageTest, RefusesProgressiveJpegFilesOfTooManyScans) {
    const RgbaImage flat(1024, 1024, 0xFF507040);
    const auto fine = jpegOf(tiles::encodeManyScanJpeg(flat, 10));
    ASSERT_TRUE(fine) << "an ordinary progressive file";
    EXPECT_TRUE(near(fine->at(700, 300), 0xFF507040, 6)) << std::hex << fine->at(700, 300);
    EXPECT_TRUE(jpegOf(tiles::encodeManyScanJpeg(flat, kMaxJpegScans)));

    const auto slow = tiles::encodeManyScanJpeg(flat, 20000);
    EXPECT_LT(slow.size(), 300000u);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(jpegOf(slow));
    EXPECT_FALSE(jpegOf(tiles::encodeManyScanJpeg(flat, kMaxJpegScans + 1)));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1))
        << "refused long before the last scan";
}

TEST(TileImageTest, FitsPicturesOfOtherSizesIntoATile) {
    const RgbaImage small = gradient(100, 300);
    const RgbaImage tile = fitToTile(small, 256);
    EXPECT_EQ(tile.width, 256);
    EXPECT_EQ(tile.height, 256);
    EXPECT_EQ(tile.at(99, 255), small.at(99, 255));
    EXPECT_EQ(tile.at(100, 0), 0xFF000000u) << "padded with black";
}

TEST(TileImageTest, DrawsOverByTransparency) {
    RgbaImage base(2, 1, 0xFF0000FF);
    RgbaImage overlay(2, 1, 0);
    overlay.pixels = {0x00FFFFFF, 0x80FF0000};
    drawOver(base, overlay);
    EXPECT_EQ(base.at(0, 0), 0xFF0000FFu) << "clear pixels leave the base";
    EXPECT_EQ(base.at(1, 0), 0xFF80007Fu) << "half red over blue";
    overlay.pixels = {0xFF00FF00, 0xFF00FF00};
    drawOver(base, overlay);
    EXPECT_EQ(base.at(0, 0), 0xFF00FF00u);
}

} // namespace
} // namespace crv::map
