#pragma once

#include "common/status.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace crv::console {

/// The largest script the board's command line and flash take, in bytes.
inline constexpr size_t kMaxScriptBytes = 131072;
inline constexpr const char* kScriptTooBig = "File is too big!\n No more than 128k!";

/// The script's start-up options as stored in the first byte of its flash image.
class ScriptOptions {
public:
    static constexpr uint8_t kAutoLoad = 0x01;
    static constexpr uint8_t kAutoRun = 0x02;
    static constexpr uint8_t kNonBreak = 0x04;

    uint8_t byte() const { return m_byte; }
    void setByte(uint8_t byte) { m_byte = byte; }
    bool autoLoad() const { return (m_byte & kAutoLoad) != 0; }
    bool autoRun() const { return (m_byte & kAutoRun) != 0; }
    bool nonBreak() const { return (m_byte & kNonBreak) != 0; }

    /// The menu items: AutoRun needs AutoLoad, so each keeps the two consistent.
    void clickAutoLoad();
    void clickAutoRun();
    void clickNonBreak();
    /// After the menu shows the marks: bit 3 set, bits 4 to 7 cleared.
    void normalise() { m_byte = static_cast<uint8_t>((m_byte & 0x07) | 0x08); }

private:
    uint8_t m_byte = 0x08;
};

/// The editor's lines as the board takes them: one byte a character, each line ended by 13, 10.
std::vector<uint8_t> scriptBytes(const std::vector<std::string>& lines);
/// Splits 8-bit text into lines at line feeds, dropping the carriage returns before them.
std::vector<std::string> scriptLines(const std::string& text);

/// What goes to the board's flash: the option byte, the text and two zero bytes.
std::vector<uint8_t> scriptImage(uint8_t options, const std::vector<uint8_t>& text);

/// A script read back from the board's flash.
struct StoredScript {
    uint8_t options = 0;
    std::string text;
};
/// The option byte and text of an image read back up to its first zero byte; empty when the
/// image is empty.
StoredScript storedScript(const std::vector<uint8_t>& image);

/// Checks a script file's bytes before they reach the editor: empty, oversized or holding a
/// zero byte (where the board would cut the script short) are refused with a message.
Status checkScriptFile(const std::vector<uint8_t>& bytes);

/// Line numbers of the "Numbers" menu: the next number and the step between two lines.
struct LineNumbering {
    int32_t start = 10;
    int32_t step = 10;
};
/// Cuts the leading number of a line with the spaces before it and one space after it; a line
/// that does not start with a number comes back as it was.
std::string removeLineNumber(const std::string& line);
/// Numbers lines first to last from numbering.start, which it leaves after the last number.
void insertLineNumbers(std::vector<std::string>& lines, size_t first, size_t last,
                       LineNumbering& numbering);

} // namespace crv::console
