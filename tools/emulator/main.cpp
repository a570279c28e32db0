// The board emulator: stands in for a Corvane X board on a pseudo-terminal, so the ground
// station can be run and tested without hardware.

#include "emulator/board_emulator.h"
#include "emulator/pseudo_terminal.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <string>

namespace {

volatile std::sig_atomic_t g_stop = 0;
volatile std::sig_atomic_t g_replug = 0;

void requestStop(int) { g_stop = 1; }
void requestReplug(int) { g_replug = 1; }

int usage() {
    std::fprintf(stderr,
                 "usage: crv_board_emulator [--link PATH] [--device PATH]\n"
                 "  --link PATH    also make PATH a symbolic link to the new pseudo-terminal\n"
                 "  --device PATH  answer on an existing serial device instead of a new one\n"
                 "SIGUSR1 hangs a new pseudo-terminal's line up and makes another, as pulling\n"
                 "an adapter out and plugging it in again would; the link follows it.\n");
    return 2;
}

// Through a new name moved into place, so the link never is missing or half made.
crv::Status linkTo(const std::string& device, const std::string& linkPath) {
    const std::string fresh = linkPath + ".new";
    std::error_code error;
    std::filesystem::remove(fresh, error);
    std::filesystem::create_symlink(device, fresh, error);
    if (!error) {
        std::filesystem::rename(fresh, linkPath, error);
    }
    if (error) {
        return crv::Status::failure("cannot link " + linkPath + ": " + error.message());
    }
    return crv::Status::success();
}

// A new line under the same link name; the board itself keeps its state, as it would.
bool replug(crv::emulator::PseudoTerminal& line, const std::string& linkPath) {
    line.close();
    const crv::Status opened = line.openNew();
    const crv::Status linked = opened.ok() && !linkPath.empty()
                                   ? linkTo(line.devicePath(), linkPath)
                                   : opened;
    if (!linked.ok()) {
        std::fprintf(stderr, "crv_board_emulator: %s\n", linked.message().c_str());
        return false;
    }
    std::printf("Board emulator plugged in again on %s\n", line.devicePath().c_str());
    std::fflush(stdout);
    return true;
}

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

int main(int argc, char** argv) {
    std::string linkPath;
    std::string devicePath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--link" || arg == "--device") && i + 1 < argc) {
            (arg == "--link" ? linkPath : devicePath) = argv[++i];
        } else {
            return usage();
        }
    }

    crv::emulator::PseudoTerminal line;
    const crv::Status opened = devicePath.empty() ? line.openNew() : line.openDevice(devicePath);
    if (!opened.ok()) {
        std::fprintf(stderr, "crv_board_emulator: %s\n", opened.message().c_str());
        return 1;
    }
    if (!linkPath.empty()) {
        if (const crv::Status linked = linkTo(line.devicePath(), linkPath); !linked.ok()) {
            std::fprintf(stderr, "crv_board_emulator: %s\n", linked.message().c_str());
            return 1;
        }
    }
    std::printf("Board emulator on %s%s%s\n", line.devicePath().c_str(),
                linkPath.empty() ? "" : ", linked as ", linkPath.c_str());
    std::fflush(stdout);

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGHUP, requestStop);
    if (devicePath.empty()) {
        std::signal(SIGUSR1, requestReplug);
    }

    crv::emulator::BoardEmulator board(
        [&line](const uint8_t* bytes, size_t count) { line.write(bytes, count); });
    uint8_t buffer[512];
    while (g_stop == 0) {
        if (g_replug != 0) {
            g_replug = 0;
            if (!replug(line, linkPath)) {
                return 1;
            }
        }
        pollfd watch{line.fd(), POLLIN, 0};
        const int ready = ::poll(&watch, 1, 10);
        if (ready > 0 && (watch.revents & POLLIN) != 0) {
            board.tick(nowMs());
            for (size_t got; (got = line.read(buffer, sizeof buffer)) > 0;) {
                board.receive(buffer, got);
            }
        } else if (ready > 0) {
            // A hung-up device reports so at once, every time: wait instead of spinning.
            ::poll(nullptr, 0, 10);
        }
        board.tick(nowMs());
    }
    if (!linkPath.empty()) {
        std::error_code error;
        std::filesystem::remove(linkPath, error);
    }
    return 0;
}
