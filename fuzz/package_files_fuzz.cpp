// The pack loaders on arbitrary bytes: the voice pack and script file checks, the script text
// as the codepad takes it, and the board's answers to a voice and a script download, each frame
// a length byte and that many payload bytes.

#include "console/package_transfer.h"
#include "console/pack_files.h"
#include "console/script_text.h"
#include "link/link_counters.h"
#include "link/link_frame_builder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class NullSink : public crv::link::FrameSink {
public:
    void sendFrame(const uint8_t*, size_t) override {}
};

size_t download(crv::console::Package package, const uint8_t* data, size_t size) {
    crv::link::LinkCounters counters;
    NullSink sink;
    crv::link::LinkFrameBuilder out(counters, &sink);
    crv::console::PackageTransfer transfer(out);
    transfer.startDownload(package, 0);
    size_t kept = 0;
    for (size_t at = 0; at < size;) {
        const size_t length = data[at++];
        const size_t count = length < size - at ? length : size - at;
        const crv::link::LinkFrame frame{static_cast<uint8_t>(package),
                                         static_cast<uint8_t>(count + 2), data + at, count};
        if (transfer.handle(package, frame, 0).kind ==
            crv::console::TransferStep::Kind::Downloaded) {
            const std::vector<uint8_t> bytes = transfer.takeDownload();
            kept += crv::console::storedScript(bytes).text.size() + bytes.size();
            transfer.startDownload(package, 0);
        }
        at += count;
    }
    return kept;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    size_t sink = crv::console::checkVoicePack(bytes).ok() ? 1 : 0;
    if (crv::console::checkScriptFile(bytes).ok()) {
        const auto lines = crv::console::scriptLines(std::string(bytes.begin(), bytes.end()));
        sink += crv::console::scriptBytes(lines).size();
        for (const std::string& line : lines) {
            sink += crv::console::removeLineNumber(line).size();
        }
    }
    sink += download(crv::console::Package::Voice, data, size);
    sink += download(crv::console::Package::Script, data, size);
    return sink == 0 ? 0 : 0;
}
