#include "link/message_dispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace crv::link {
namespace {

TEST(MessageDispatcherTest, RoutesOnTypeWithoutTheHighBit) {
    MessageDispatcher dispatcher;
    std::vector<uint8_t> seen;
    dispatcher.setHandler(32, [&](const LinkFrame& frame) { seen.push_back(frame.type); });
    dispatcher.dispatch({0xA0, 2, nullptr, 0});
    dispatcher.dispatch({32, 2, nullptr, 0});
    EXPECT_EQ(seen, (std::vector<uint8_t>{0xA0, 32}));
}

TEST(MessageDispatcherTest, IgnoresTypesWithoutHandlerAndTheBootloaderTypes) {
    MessageDispatcher dispatcher;
    int calls = 0;
    for (uint8_t type : {126, 127, 0}) {
        dispatcher.setHandler(type, [&](const LinkFrame&) { ++calls; });
    }
    for (uint8_t type : {126, 127, 0xFE, 0xFF, 99, 0x80 + 99}) {
        dispatcher.dispatch({type, 2, nullptr, 0});
    }
    EXPECT_EQ(calls, 0);
    dispatcher.dispatch({0x80, 2, nullptr, 0});
    EXPECT_EQ(calls, 1) << "type 0 has a handler here and 0x80 routes to it";
}

TEST(MessageDispatcherTest, AnEmptyHandlerRemovesTheOldOne) {
    MessageDispatcher dispatcher;
    int calls = 0;
    dispatcher.setHandler(1, [&](const LinkFrame&) { ++calls; });
    dispatcher.setHandler(0x81, nullptr);
    dispatcher.dispatch({1, 2, nullptr, 0});
    EXPECT_EQ(calls, 0);
}

TEST(MessageDispatcherTest, SubtypeHandlersTakeTheirFramesFromTheTypeHandler) {
    MessageDispatcher dispatcher;
    std::vector<std::string> seen;
    dispatcher.setHandler(27, [&](const LinkFrame&) { seen.push_back("type"); });
    dispatcher.setSubtypeHandler(27, 51, [&](const LinkFrame&) { seen.push_back("home"); });
    const uint8_t home[] = {51, 1, 2};
    const uint8_t other[] = {50, 1, 2};
    dispatcher.dispatch({27, 5, home, 3});
    dispatcher.dispatch({27 | 0x80, 5, home, 3});
    dispatcher.dispatch({27, 5, other, 3});
    dispatcher.dispatch({27, 2, nullptr, 0}); // no sub-type byte: the type handler
    dispatcher.dispatch({28, 5, home, 3});
    EXPECT_EQ(seen, (std::vector<std::string>{"home", "home", "type", "type"}));

    dispatcher.setSubtypeHandler(27, 51, nullptr);
    dispatcher.dispatch({27, 5, home, 3});
    EXPECT_EQ(seen.back(), "type");
}

} // namespace
} // namespace crv::link
