#include "console/script_text.h"

#include <gtest/gtest.h>

namespace crv::console {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

TEST(ScriptOptions, AutoRunBringsAutoLoadAndAutoLoadTakesBoth) {
    ScriptOptions options;
    EXPECT_EQ(options.byte(), 0x08);
    options.clickAutoRun();
    EXPECT_EQ(options.byte(), 0x0B);
    EXPECT_TRUE(options.autoLoad() && options.autoRun());
    options.clickAutoLoad();
    EXPECT_EQ(options.byte(), 0x08);
    options.clickAutoLoad();
    EXPECT_EQ(options.byte(), 0x09);
    options.clickNonBreak();
    EXPECT_EQ(options.byte(), 0x0D);
    options.setByte(0xF3); // as read from the board
    options.clickAutoRun();
    EXPECT_EQ(options.byte(), 0x09) << "upper bits cleared, bit 3 set";
}

TEST(ScriptText, LinesEndInCarriageReturnLineFeed) {
    EXPECT_EQ(scriptBytes({"10 PRINT 1", ""}),
              (Bytes{'1', '0', ' ', 'P', 'R', 'I', 'N', 'T', ' ', '1', 13, 10, 13, 10}));
    EXPECT_EQ(scriptLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(scriptLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(scriptLines(""), Lines{});
}

TEST(ScriptText, ImageAndReadBack) {
    const Bytes image = scriptImage(0x0B, {'R', 'U', 'N', 13, 10});
    EXPECT_EQ(image, (Bytes{0x0B, 'R', 'U', 'N', 13, 10, 0, 0}));
    const StoredScript stored = storedScript(image);
    EXPECT_EQ(stored.options, 0x0B);
    EXPECT_EQ(stored.text, "RUN\r\n");
    EXPECT_EQ(storedScript({}).text, "");
}

TEST(ScriptText, ScriptFilesThatAreNoScriptsAreRefused) {
    EXPECT_TRUE(checkScriptFile({'1', '0', 10}).ok());
    EXPECT_EQ(checkScriptFile({}).message(), "The script file is empty.");
    EXPECT_FALSE(checkScriptFile({'a', 0, 'b'}).ok());
    EXPECT_EQ(checkScriptFile(Bytes(kMaxScriptBytes, 'a')).message(), kScriptTooBig);
    EXPECT_TRUE(checkScriptFile(Bytes(kMaxScriptBytes - 1, 'a')).ok());
}

TEST(LineNumbers, InsertContinuesTheSequenceAndRemoveRestores) {
    Lines lines = {"PRINT 1", "GOTO 10", "END"};
    LineNumbering numbering;
    insertLineNumbers(lines, 0, 2, numbering);
    EXPECT_EQ(lines, (Lines{"10 PRINT 1", "20 GOTO 10", "30 END"}));
    EXPECT_EQ(numbering.start, 40);
    for (std::string& line : lines) {
        line = removeLineNumber(line);
    }
    EXPECT_EQ(lines, (Lines{"PRINT 1", "GOTO 10", "END"}));
    numbering = {100, 5};
    insertLineNumbers(lines, 1, 1, numbering);
    EXPECT_EQ(lines[1], "100 GOTO 10");
    insertLineNumbers(lines, 1, 1, numbering);
    EXPECT_EQ(lines[1], "105 GOTO 10") << "an old number is replaced";
    numbering = {INT32_MAX, 1};
    insertLineNumbers(lines, 0, 0, numbering);
    EXPECT_EQ(numbering.start, INT32_MIN);
}

TEST(LineNumbers, RemoveCutsOnlyALeadingNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"  120 PRINT", "PRINT"}, {"120PRINT", "PRINT"}, {"PRINT 5", "PRINT 5"},
        {"   ", "   "},          {"7", ""},             {"12  X", " X"},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(removeLineNumber(line), expected) << line;
    }
}

} // namespace
} // namespace crv::console
