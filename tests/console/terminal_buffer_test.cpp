#include "console/terminal_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace crv::console {
namespace {

void appendText(TerminalBuffer& buffer, const std::string& text) {
    buffer.append(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(TerminalBuffer, ShowsTheNewest8192BytesAndStartsAgainAfterClear) {
    TerminalBuffer buffer;
    std::string output;
    for (int i = 0; i < 10000; ++i) {
        output.push_back(static_cast<char>('a' + i % 26));
    }
    appendText(buffer, output);
    EXPECT_EQ(buffer.displayed(), output.substr(10000 - 8192));
    buffer.clear();
    EXPECT_TRUE(buffer.displayed().empty());
    appendText(buffer, "ok\r\n");
    EXPECT_EQ(buffer.displayed(), "ok\r\n");
}

TEST(TerminalBuffer, KeepsAnyByteValue) {
    TerminalBuffer buffer;
    const std::vector<uint8_t> bytes = {0, 255, 13, 10, 7};
    buffer.append(bytes.data(), bytes.size());
    EXPECT_EQ(buffer.displayed(), std::string("\0\xFF\r\n\x07", 5));
}

// A session that runs for days must not grow the scroll-back without end.
TEST(TerminalBuffer, HoldsBoundedMemoryHoweverLongTheSession) {
    TerminalBuffer buffer;
    std::vector<uint8_t> frame(250);
    uint32_t serial = 0;
    for (int i = 0; i < 40000; ++i) { // 10 MB, as 250-byte frames
        for (uint8_t& byte : frame) {
            byte = static_cast<uint8_t>(serial++);
        }
        buffer.append(frame.data(), frame.size());
        ASSERT_LE(buffer.size(), TerminalBuffer::kKeepBytes);
    }
    EXPECT_LE(buffer.capacity(), 2 * TerminalBuffer::kKeepBytes);
    const std::string_view shown = buffer.displayed();
    ASSERT_EQ(shown.size(), TerminalBuffer::kDisplayBytes);
    EXPECT_EQ(static_cast<uint8_t>(shown.back()), static_cast<uint8_t>(serial - 1));
    const std::vector<uint8_t> huge(3 * TerminalBuffer::kKeepBytes, 'x');
    buffer.append(huge.data(), huge.size());
    EXPECT_EQ(buffer.size(), TerminalBuffer::kKeepBytes);
}

} // namespace
} // namespace crv::console
