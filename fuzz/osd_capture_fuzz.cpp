// Feeds arbitrary type 37 pieces to the OSD capture: each piece is a length byte and that many
// payload bytes (position, then data), so pieces come out of order, repeated, oversized and
// with any check; the capture must stay inside its buffer and its picture.

#include "console/osd_capture.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    crv::console::OsdCapture capture;
    size_t good = 0;
    for (size_t at = 0; at < size;) {
        const size_t length = data[at++];
        const size_t count = length < size - at ? length : size - at;
        if (const auto result = capture.piece(data + at, count)) {
            good += result->good ? 1 : 0;
        }
        at += count;
    }
    crv::console::OsdPicture picture;
    crv::console::decodeOsdRuns(data, size, picture);
    crv::console::osdCheckPasses(data, size);
    return good == 0 && picture.bytes[0] == 0 ? 0 : 0;
}
