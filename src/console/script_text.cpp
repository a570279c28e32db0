#include "console/script_text.h"

#include <algorithm>

namespace crv::console {

void ScriptOptions::clickAutoLoad() {
    if (autoLoad()) {
        m_byte &= static_cast<uint8_t>(~(kAutoLoad | kAutoRun));
    } else {
        m_byte |= kAutoLoad;
    }
    normalise();
}

void ScriptOptions::clickAutoRun() {
    if (autoRun()) {
        m_byte &= static_cast<uint8_t>(~kAutoRun);
    } else {
        m_byte |= kAutoLoad | kAutoRun;
    }
    normalise();
}

void ScriptOptions::clickNonBreak() {
    m_byte ^= kNonBreak;
    normalise();
}

std::vector<uint8_t> scriptBytes(const std::vector<std::string>& lines) {
    std::vector<uint8_t> bytes;
    for (const std::string& line : lines) {
        bytes.insert(bytes.end(), line.begin(), line.end());
        bytes.push_back(13);
        bytes.push_back(10);
    }
    return bytes;
}

std::vector<std::string> scriptLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            if (begin < text.size()) {
                lines.push_back(text.substr(begin));
            }
            break;
        }
        size_t cut = end;
        if (cut > begin && text[cut - 1] == '\r') {
            --cut;
        }
        lines.push_back(text.substr(begin, cut - begin));
        begin = end + 1;
    }
    return lines;
}

std::vector<uint8_t> scriptImage(uint8_t options, const std::vector<uint8_t>& text) {
    std::vector<uint8_t> image;
    image.reserve(text.size() + 3);
    image.push_back(options);
    image.insert(image.end(), text.begin(), text.end());
    image.push_back(0);
    image.push_back(0);
    return image;
}

StoredScript storedScript(const std::vector<uint8_t>& image) {
    if (image.empty()) {
        return {};
    }
    const auto end = std::find(image.begin() + 1, image.end(), uint8_t{0});
    return {image.front(), std::string(image.begin() + 1, end)};
}

Status checkScriptFile(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        return Status::failure("The script file is empty.");
    }
    if (bytes.size() >= kMaxScriptBytes) {
        return Status::failure(kScriptTooBig);
    }
    if (std::find(bytes.begin(), bytes.end(), uint8_t{0}) != bytes.end()) {
        return Status::failure("The script file holds a zero byte: it is not a script.");
    }
    return Status::success();
}

std::string removeLineNumber(const std::string& line) {
    size_t at = line.find_first_not_of(' ');
    if (at == std::string::npos || line[at] < '0' || line[at] > '9') {
        return line;
    }
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
        ++at;
    }
    if (at < line.size() && line[at] == ' ') {
        ++at;
    }
    return line.substr(at);
}

void insertLineNumbers(std::vector<std::string>& lines, size_t first, size_t last,
                       LineNumbering& numbering) {
    for (size_t i = first; i <= last && i < lines.size(); ++i) {
        lines[i] = std::to_string(numbering.start) + " " + removeLineNumber(lines[i]);
        // Wraps as the board's 32-bit numbers do rather than overflowing.
        numbering.start = static_cast<int32_t>(static_cast<uint32_t>(numbering.start) +
                                               static_cast<uint32_t>(numbering.step));
    }
}

} // namespace crv::console
