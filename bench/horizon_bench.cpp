// The artificial horizon: one attitude redraw and one composition, as every attitude message
// and every 100 ms tick do. Target: under 1 ms per call.

#include "ui/main/horizon.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

crv::ui::ArtificialHorizon& horizon() {
    static crv::ui::ArtificialHorizon loaded = [] {
        crv::ui::ArtificialHorizon pictures;
        pictures.load(CRV_BUILD_DIR "/img/AH_top.bmp", CRV_BUILD_DIR "/img/AH_bottom.bmp");
        return pictures;
    }();
    return loaded;
}

void BM_RedrawHorizon(benchmark::State& state) {
    int16_t roll = 0;
    for (auto _ : state) {
        roll = static_cast<int16_t>((roll + 37) % 1800);
        horizon().RedrawHorizon(roll, static_cast<int16_t>(roll / 4));
    }
}
BENCHMARK(BM_RedrawHorizon)->Unit(benchmark::kMicrosecond);

void BM_ComposeHorizon(benchmark::State& state) {
    QImage frame;
    for (auto _ : state) {
        horizon().ComposeHorizon(frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
}
BENCHMARK(BM_ComposeHorizon)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!horizon().loaded()) {
        std::fprintf(stderr, "horizon pictures missing under %s/img\n", CRV_BUILD_DIR);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
