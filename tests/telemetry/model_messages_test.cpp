#include "telemetry/model_messages.h"

#include <gtest/gtest.h>

#include <vector>

namespace crv::telemetry {
namespace {

link::LinkFrame frameOf(uint8_t type, const std::vector<uint8_t>& payload) {
    return {type, static_cast<uint8_t>(payload.size() + 2), payload.data(), payload.size()};
}

TEST(ModelMessagesTest, CurrentModelLine) {
    const std::vector<uint8_t> payload = {1, 'T', 'r', 'a', 'i', 'n', 'e', 'r', 0, 'x', 'y'};
    const CurrentModel model = decodeCurrentModel(frameOf(40, payload));
    EXPECT_EQ(model.index, 1);
    EXPECT_EQ(model.name, "Trainer");
    EXPECT_EQ(currentModelLine(model), "#2 Trainer");
}

TEST(ModelMessagesTest, CurrentModelNameIsNotFiltered) {
    const std::vector<uint8_t> payload = {7, 0x01, 'A', 0xE9};
    const CurrentModel model = decodeCurrentModel(frameOf(40, payload));
    EXPECT_EQ(model.name, std::string("\x01"
                                      "A\xE9"));
    EXPECT_EQ(currentModelLine(model).substr(0, 3), "#8 ");
}

TEST(ModelMessagesTest, ModelListMasksUnprintableBytes) {
    std::vector<uint8_t> payload(60, ' ');
    const uint8_t first[] = {0x41, 0x42, 0x43, 0, 0, 0, 0, 0, 0, 0};
    std::copy(std::begin(first), std::end(first), payload.begin());
    payload[59] = 0x80;
    const auto names = decodeModelList(frameOf(42, payload));
    EXPECT_EQ(names[0], "ABC*******");
    EXPECT_EQ(names[1], "          ");
    EXPECT_EQ(names[5], "         *");
    const auto shortList = decodeModelList(frameOf(42, {'Q'}));
    EXPECT_EQ(shortList[0], "Q*********") << "missing bytes read as zero";
}

} // namespace
} // namespace crv::telemetry
