// Cost of rebuilding what the user sees after each change: the overlay's rows and the queue
// panel, for a full stack of 50 items. Runs on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "Tovra/ui/HUDWindow.h"
#include "Tovra/ui/TovraQueueView.h"
#include "tests/support/FakePanelModel.h"

namespace {

using namespace tovra;

std::vector<ItemRow> fiftyItems() {
    std::vector<ItemRow> rows;
    for (int i = 0; i < 50; ++i) {
        rows.push_back({Uuid::random(), "Queued item number " + std::to_string(i) + " with text",
                        i % 7 == 0, "Plain text"});
    }
    return rows;
}

void BM_OverlayRowsForFiftyItems(benchmark::State& state) {
    HUDWindow overlay;
    OverlaySurface::State content;
    content.title = "Tovra 1 \u00B7 FIFO (50)";
    content.rows = fiftyItems();
    content.privacyMode = PrivacyMode::partialMask;
    for (auto _ : state) {
        overlay.update(content);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_OverlayRowsForFiftyItems)->Unit(benchmark::kMillisecond);

void BM_QueuePanelForFiftyItems(benchmark::State& state) {
    test::FakePanelModel model;
    model.items = fiftyItems();
    TovraQueueCoordinator coordinator;
    coordinator.setModel(&model);
    TovraQueueView view(coordinator);
    for (auto _ : state) {
        view.render();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_QueuePanelForFiftyItems)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
