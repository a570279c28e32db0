#include "emulator/osd_picture.h"

#include <cmath>
#include <string>

namespace crv::emulator {

namespace {

constexpr int kSide = 240;
constexpr int kRowBytes = kSide / 8;
constexpr uint8_t kMark = 0xFE;
constexpr int kMaxRun = 254; ///< one value and up to 253 copies, as 0xFE counts as a mark

// 3 x 5 digits, a row a nibble's low three bits.
constexpr uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

class Canvas {
public:
    Canvas() : m_bytes(kRowBytes * kSide, 0) {}
    void set(int x, int y) {
        if (x >= 0 && x < kSide && y >= 0 && y < kSide) {
            m_bytes[y * kRowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    void block(int x, int y, int w, int h) {
        for (int dy = 0; dy < h; ++dy) {
            for (int dx = 0; dx < w; ++dx) {
                set(x + dx, y + dy);
            }
        }
    }
    /// Digits drawn with square dots of scale pixels.
    void number(int x, int y, int value, int scale) {
        for (char digit : std::to_string(value)) {
            const uint8_t* rows = kDigits[digit - '0'];
            for (int row = 0; row < 5; ++row) {
                for (int column = 0; column < 3; ++column) {
                    if ((rows[row] & (4 >> column)) != 0) {
                        block(x + column * scale, y + row * scale, scale, scale);
                    }
                }
            }
            x += 4 * scale;
        }
    }
    std::vector<uint8_t> take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};

} // namespace

std::vector<uint8_t> drawOsdPicture(int16_t rollDeciDeg, int altitudeM) {
    Canvas canvas;
    canvas.block(4, 4, 232, 2);
    canvas.block(4, 234, 232, 2);
    canvas.block(4, 4, 2, 232);
    canvas.block(234, 4, 2, 232);
    const double slope = std::tan(rollDeciDeg / 10.0 * M_PI / 180.0);
    for (int x = 40; x < 200; ++x) {
        if (x < 100 || x > 140) { // the horizon, broken round the centre mark
            canvas.block(x, static_cast<int>(120 + (x - 120) * slope), 1, 2);
        }
    }
    canvas.block(110, 119, 20, 2);
    canvas.block(119, 110, 2, 20);
    canvas.number(180, 16, altitudeM < 0 ? 0 : altitudeM, 3);
    canvas.number(16, 16, 12, 3); // the battery's volts
    canvas.block(16, 210, 60, 8);
    return canvas.take();
}

std::vector<uint8_t> encodeOsdCapture(const std::vector<uint8_t>& picture) {
    std::vector<uint8_t> coded;
    for (size_t i = 0; i < picture.size();) {
        const uint8_t value = picture[i];
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == value && run < kMaxRun) {
            ++run;
        }
        if (value == kMark) {
            coded.insert(coded.end(), {kMark, kMark}); // a mark stands for itself in pairs
            run = 1;
        } else if (run >= 3) {
            coded.insert(coded.end(), {value, kMark, static_cast<uint8_t>(run - 1)});
        } else {
            coded.insert(coded.end(), run, value);
        }
        i += run;
    }
    uint16_t w = 0xCB35;
    for (uint8_t byte : coded) {
        w ^= byte;
        w = static_cast<uint16_t>((w << 1) | (w & 1));
    }
    coded.push_back(static_cast<uint8_t>(w >> 8));
    coded.push_back(static_cast<uint8_t>(w));
    return coded;
}

} // namespace crv::emulator
