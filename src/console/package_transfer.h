#pragma once

#include "common/status.h"
#include "link/link_frame.h"
#include "link/link_frame_builder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace crv::console {

/// The two packages the board keeps in flash, each with its message type.
enum class Package : uint8_t { Voice = 57, Script = 58 };

/// The fixed word the board wants with every flash write request.
inline constexpr uint32_t kFlashWriteWord = 0x5AC3A55C;
inline constexpr size_t kBlockBytes = 128;
/// Sub-command 128 from the board: what it holds; the window shows it apart from transfers.
inline constexpr uint8_t kPackageReport = 128;
/// Block numbers are 16-bit and 0xFFFF marks the end, so blocks 0 to 0xFFFE at most.
inline constexpr size_t kMaxPackageBytes = 0xFFFF * kBlockBytes;
/// A board that has not asked for so long is taken to have stopped.
inline constexpr int64_t kStallMs = 3000;

/// What a transfer step leaves for the window to show.
struct TransferStep {
    /// Finished ends an upload; Downloaded ends a download, whose bytes takeDownload() gives.
    enum class Kind { Nothing, Progress, Finished, Downloaded, Failed };
    Kind kind = Kind::Nothing;
    std::string text; ///< "Write request...", "42%", "OK" or why it failed
};

/// The block transfer of the voice and script packages: one at a time, as they share a buffer,
/// carried by the board's requests. An upload sends the image block by block as the board asks;
/// a download asks for block after block and keeps what comes. A download is finished only when
/// its last block has arrived; a transfer the board stops carrying reports itself stalled and can
/// be cancelled. Frames of the other package, or of no transfer, are ignored.
class PackageTransfer {
public:
    explicit PackageTransfer(link::LinkFrameBuilder& out) : m_out(out) {}

    /// Sends the write request for image; refuses (sending nothing) an empty or oversized one.
    TransferStep startUpload(Package package, std::vector<uint8_t> image, int64_t nowMs);
    /// Sends the read request.
    TransferStep startDownload(Package package, int64_t nowMs);
    /// A frame of the package's message type from the board (sub-commands 129 to 131).
    TransferStep handle(Package package, const link::LinkFrame& frame, int64_t nowMs);
    /// Forgets the transfer; its buffer is emptied.
    void cancel();

    bool active() const { return m_phase != Phase::Idle; }
    bool active(Package package) const { return active() && m_package == package; }
    /// True once the board has let kStallMs pass without carrying the running transfer on.
    bool stalled(int64_t nowMs) const { return active() && nowMs - m_lastMs >= kStallMs; }
    /// The bytes of a finished download; empties the buffer.
    std::vector<uint8_t> takeDownload();

private:
    enum class Phase { Idle, WaitingReady, Uploading, WaitingHeader, Downloading };

    TransferStep nextUploadBlock();
    TransferStep header(uint16_t lastBlock);
    TransferStep dataBlock(const link::LinkFrame& frame);
    void sendBlock(uint16_t number, const uint8_t* data, size_t count);
    void sendRequest(uint8_t command, uint16_t number);
    std::string percent() const;

    link::LinkFrameBuilder& m_out;
    Phase m_phase = Phase::Idle;
    Package m_package = Package::Voice;
    std::vector<uint8_t> m_buffer;
    uint32_t m_lastBlock = 0; ///< N: uploads send blocks 0 to N, downloads fetch 0 to N
    uint32_t m_counter = 0;
    bool m_textEnded = false; ///< a script download met its end-of-text zero
    int64_t m_lastMs = 0;
};

/// The voice pack report (57/128): "----------" or the name with " v" and the version.
std::string voiceReportText(const link::LinkFrame& frame);
/// The script pack report (58/128): "----------" or the size followed by "bytes".
std::string scriptReportText(const link::LinkFrame& frame);

} // namespace crv::console
