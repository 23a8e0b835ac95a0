// Cost of the queue core's operations on large copies. Each case reports bytes per second over
// the whole input, so an operation that reads only what it needs shows a figure that grows with
// the input while its time per call stays flat.
#include <benchmark/benchmark.h>

#include <string>

#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/core/ClipboardPayload.h"
#include "Tovra/core/PrivacyMasking.h"
#include "Tovra/core/QueueManager.h"
#include "Tovra/core/SmartModeEngine.h"

namespace {

using namespace tovra;

/// Exactly `bytes` of mixed prose with accents and emoji, so segmentation does real work.
std::string sampleText(std::size_t bytes) {
    static const std::string unit =
        "Caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9 \xF0\x9F\x87\xA9\xF0\x9F\x87\xAA "
        "na\xC3\xAFve text, with words; ";
    std::string text;
    text.reserve(bytes);
    while (text.size() + unit.size() <= bytes) {
        text.append(unit);
    }
    text.append(bytes - text.size(), 'x');
    return text;
}

std::string linesText(std::size_t lines, std::size_t bytes) {
    const std::size_t perLine = bytes / lines;
    std::string text;
    text.reserve(bytes);
    for (std::size_t i = 0; i < lines; ++i) {
        std::string line = "row " + std::to_string(i) + " ";
        line.resize(perLine - 1, 'x');
        text.append(line);
        text.push_back('\n');
    }
    return text;
}

void BM_TruncatedPreview(benchmark::State& state) {
    const std::string text = sampleText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(truncatedPreview(text));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_TruncatedPreview)->Arg(10 << 10)->Arg(10 << 20);

void BM_MaskedText(benchmark::State& state) {
    const std::string text = sampleText(static_cast<std::size_t>(state.range(0)));
    const auto mode = static_cast<PrivacyMode>(state.range(1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(maskedText(text, mode));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_MaskedText)
    ->ArgsProduct({{10 << 10, 10 << 20},
                   {static_cast<int>(PrivacyMode::preview),
                    static_cast<int>(PrivacyMode::partialMask)}});

/// Copying a 10 MiB text of 100,000 lines: validate, trim, split and queue the newest 50 lines.
void BM_EnqueueLargeMultiLineCopy(benchmark::State& state) {
    const std::string text = linesText(100'000, maxPayloadBytes);
    SmartModeEngine engine;
    QueueManager queue(engine);
    for (auto _ : state) {
        state.PauseTiming();
        ClipboardPayload payload{"", {{std::string(pasteboardType::string), Bytes(text)}}};
        queue.clear();
        state.ResumeTiming();
        queue.enqueuePayload(std::move(payload), true);
        benchmark::DoNotOptimize(queue.items().data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_EnqueueLargeMultiLineCopy)->Unit(benchmark::kMillisecond);

/// A burst of 50 items totalling 10 MiB: join, validate and make the payload.
void BM_BurstOfFiftyItems(benchmark::State& state) {
    const std::string item = sampleText(maxPayloadBytes / 50 - 1);
    SmartModeEngine engine;
    QueueManager queue(engine);
    std::size_t joinedBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 50; ++i) {
            queue.enqueueText(item, false);
        }
        state.ResumeTiming();
        auto burst = queue.makeBurstPayload("\t");
        if (!burst) {
            state.SkipWithError("the burst did not fit the budget");
            break;
        }
        joinedBytes = stringData(*burst)->size();
        benchmark::DoNotOptimize(burst);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(joinedBytes));
}
BENCHMARK(BM_BurstOfFiftyItems)->Unit(benchmark::kMillisecond);

/// The floor for the two cases above: one plain copy of 10 MiB into fresh memory.
void BM_CopyTenMebibytes(benchmark::State& state) {
    const std::string text = sampleText(maxPayloadBytes);
    for (auto _ : state) {
        Bytes copy;
        copy.reserve(text.size());
        copy.append(text);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_CopyTenMebibytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
