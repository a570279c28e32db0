#include "console/osd_capture.h"
#include "console/package_transfer.h"
#include "emulator/board_emulator.h"
#include "emulator/osd_picture.h"
#include "link/message_types.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace crv::emulator {
namespace {

using Bytes = std::vector<uint8_t>;
using console::Package;

/// The ground station's console side, wired to the board: its frames go in, the board's come
/// back to the package transfer, the OSD capture and a terminal text.
class ConsoleAnswersTest : public ::testing::Test, public link::FrameSink {
protected:
    ConsoleAnswersTest() {
        for (uint8_t type : {link::msg::kVoicePack, link::msg::kScriptPack}) {
            dispatcher.setHandler(type, [this, type](const link::LinkFrame& frame) {
                if (frame.payloadSize > 0 && frame.payload[0] == console::kPackageReport) {
                    reports.emplace_back(frame.payload, frame.payload + frame.payloadSize);
                } else {
                    last = transfer.handle(static_cast<Package>(type), frame, 0);
                }
            });
        }
        dispatcher.setHandler(link::msg::kTerminalOutput, [this](const link::LinkFrame& frame) {
            terminal.append(reinterpret_cast<const char*>(frame.payload), frame.payloadSize);
            ++outputFrames;
        });
        dispatcher.setHandler(link::msg::kOsdCapture, [this](const link::LinkFrame& frame) {
            if (auto result = osd.piece(frame.payload, frame.payloadSize)) {
                captures.push_back(*result);
            }
        });
        dispatcher.setHandler(link::msg::kOpenTerminal, [this](const link::LinkFrame&) {
            ++openTerminal;
        });
    }

    void sendFrame(const uint8_t* frame, size_t size) override { board.receive(frame, size); }
    /// Hands the ground station what the board sent, until the two have nothing more to say.
    void pump() {
        while (!fromBoard.empty()) {
            const Bytes bytes = std::move(fromBoard);
            fromBoard.clear();
            parser.feed(bytes.data(), bytes.size());
        }
    }
    void type(const std::string& text) {
        out.begin();
        out.put8(link::msg::kTerminalInput);
        out.putBytes(text.data(), text.size());
        out.finish();
    }
    void runFor(int64_t fromMs, int64_t toMs) {
        for (int64_t t = fromMs; t < toMs; t += 10) {
            board.tick(t);
            pump();
        }
    }

    link::LinkCounters counters;
    link::MessageDispatcher dispatcher;
    link::LinkFrameParser parser{counters, dispatcher};
    // What the board sends waits as it would on the line, so a handler that answers does not
    // run inside the board's own frame.
    BoardEmulator board{[this](const uint8_t* bytes, size_t n) {
        fromBoard.insert(fromBoard.end(), bytes, bytes + n);
    }};
    Bytes fromBoard;
    link::LinkFrameBuilder out{counters, this};
    console::PackageTransfer transfer{out};
    console::TransferStep last;
    console::OsdCapture osd;
    std::vector<console::OsdCaptureResult> captures;
    std::vector<Bytes> reports;
    std::string terminal;
    int outputFrames = 0;
    int openTerminal = 0;
};

TEST_F(ConsoleAnswersTest, CommandLineEchoesAndAnswers) {
    type("he");
    type("lp\r\n");
    type("bogus\n");
    type("term\r\n");
    runFor(1, 500);
    EXPECT_EQ(terminal, "help\r\nCommands: help, ver, list, run, flood KB, term\r\n> "
                        "bogus\r\nUnknown command: bogus\r\n> term\r\n> ");
    EXPECT_EQ(openTerminal, 1);
}

// Output leaves no faster than the link carries it: 57600 baud is 5760 bytes a second.
TEST_F(ConsoleAnswersTest, FloodComesAtLinkSpeed) {
    type("flood 20\n");
    runFor(1, 1001);
    EXPECT_GT(terminal.size(), 5000u);
    EXPECT_LT(terminal.size(), 6500u);
    runFor(1001, 6000);
    EXPECT_GE(terminal.size(), 20u * 1024);
}

TEST_F(ConsoleAnswersTest, OsdCapturesFlowWhileSwitchedOnAndDecodeToThePicture) {
    out.send(link::msg::kConfigBlock, {95, 1});
    runFor(1, 2500);
    out.send(link::msg::kConfigBlock, {95, 0});
    runFor(2500, 5000);
    // Captures at 0, 1 and 2 s; each is finished by the next one's first piece, the first of
    // them finishing the empty one before it.
    ASSERT_EQ(captures.size(), 3u);
    EXPECT_EQ(captures[0].length, 0u);
    EXPECT_FALSE(captures[0].good);
    EXPECT_TRUE(captures[1].good);
    EXPECT_TRUE(captures[2].good);
    EXPECT_GT(captures[1].length, 100u);
    EXPECT_LE(captures[1].length, console::OsdCapture::kBufferBytes);
    const Bytes drawn = drawOsdPicture(150, 1);
    EXPECT_EQ(Bytes(osd.picture().bytes.begin(), osd.picture().bytes.end()), drawn);
}

TEST_F(ConsoleAnswersTest, EncoderRoundTripsEveryKindOfRun) {
    Bytes picture(console::OsdPicture::kBytes);
    for (size_t i = 0; i < picture.size(); ++i) { // marks, runs of every length, literals
        picture[i] = (i / 300) % 3 == 0 ? 0xFE : static_cast<uint8_t>((i / (i % 7 + 1)) % 5);
    }
    const Bytes coded = encodeOsdCapture(picture);
    ASSERT_TRUE(console::osdCheckPasses(coded.data(), coded.size()));
    console::OsdPicture decoded;
    ASSERT_TRUE(console::decodeOsdRuns(coded.data(), coded.size() - 2, decoded));
    EXPECT_EQ(Bytes(decoded.bytes.begin(), decoded.bytes.end()), picture);
}

TEST_F(ConsoleAnswersTest, PackagesWrittenReadBackIdentical) {
    out.send(link::msg::kVoicePack, {0});
    out.send(link::msg::kScriptPack, {0});
    pump();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1], (Bytes{128, 0, 0, 0, 30}));

    Bytes pack(1000);
    for (size_t i = 0; i < pack.size(); ++i) {
        pack[i] = static_cast<uint8_t>(i * 31);
    }
    transfer.startUpload(Package::Voice, pack, 0);
    pump();
    EXPECT_EQ(last.text, "OK");
    EXPECT_EQ(reports.size(), 3u) << "a new report after the write";
    transfer.startDownload(Package::Voice, 0);
    pump();
    EXPECT_EQ(last.kind, console::TransferStep::Kind::Downloaded);
    Bytes read = transfer.takeDownload();
    ASSERT_EQ(read.size(), 1024u) << "whole blocks, fill bytes included";
    EXPECT_EQ(Bytes(read.begin(), read.begin() + 1000), pack);

    const Bytes image = {0x0B, '1', '0', ' ', 'E', 'N', 'D', 13, 10, 0, 0};
    transfer.startUpload(Package::Script, image, 0);
    pump();
    EXPECT_EQ(last.text, "OK");
    transfer.startDownload(Package::Script, 0);
    pump();
    EXPECT_EQ(transfer.takeDownload(), Bytes(image.begin(), image.end() - 2));
    type("list\n");
    runFor(1, 300);
    EXPECT_EQ(terminal, "list\r\n10 END\r\n> ");
}

TEST_F(ConsoleAnswersTest, AWriteWithoutTheWordIsRefused) {
    out.begin();
    out.put8(link::msg::kScriptPack);
    out.put8(1);
    out.put32(0x12345678);
    out.finish();
    out.send(link::msg::kScriptPack, {2, 0, 0, 1, 2, 3}); // a block without a write
    pump();
    EXPECT_EQ(counters.framesReceived, 0u) << "no 129, no 130";
}

} // namespace
} // namespace crv::emulator
