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

void requestStop(int) { g_stop = 1; }

int usage() {
    std::fprintf(stderr,
                 "usage: crv_board_emulator [--link PATH] [--device PATH]\n"
                 "  --link PATH    also make PATH a symbolic link to the new pseudo-terminal\n"
                 "  --device PATH  answer on an existing serial device instead of a new one\n");
    return 2;
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
    std::error_code error;
    if (!linkPath.empty()) {
        std::filesystem::remove(linkPath, error);
        std::filesystem::create_symlink(line.devicePath(), linkPath, error);
        if (error) {
            std::fprintf(stderr, "crv_board_emulator: cannot link %s: %s\n", linkPath.c_str(),
                         error.message().c_str());
            return 1;
        }
    }
    std::printf("Board emulator on %s%s%s\n", line.devicePath().c_str(),
                linkPath.empty() ? "" : ", linked as ", linkPath.c_str());
    std::fflush(stdout);

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGHUP, requestStop);

    crv::emulator::BoardEmulator board(
        [&line](const uint8_t* bytes, size_t count) { line.write(bytes, count); });
    uint8_t buffer[512];
    while (g_stop == 0) {
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
        std::filesystem::remove(linkPath, error);
    }
    return 0;
}
