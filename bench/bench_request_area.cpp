// Cost of a full request area of small reads: queued and walked on a plain span, and
// through the link with the in-process server answering.

#include <benchmark/benchmark.h>

#include <vector>

#include "ipc/Fsuipc.h"
#include "ipc/RequestArea.h"
#include "tests/unit/FakeIpcTransport.h"

namespace {

constexpr int32_t kReadSize = 2;

void ReportPerRecord(benchmark::State& state, size_t records) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records));
    state.counters["records"] = static_cast<double>(records);
    // Seconds per record, shown with an SI prefix (n = nanoseconds).
    state.counters["time_per_record"] = benchmark::Counter(
        static_cast<double>(records),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_QueueAndWalkFullAreaOnSpan(benchmark::State& state) {
    std::vector<uint8_t> area(kIpcAreaSize);
    std::vector<uint8_t> destinations(kIpcAreaSize);
    static ReadDestinations reads;
    size_t records = 0;
    for (auto _ : state) {
        reads.Clear();
        size_t used = 0;
        records = 0;
        while (RequestFits(used, kReadSize, kReadHeaderSize)) {
            const uint32_t id = reads.Add(&destinations[records * kReadSize], kReadSize);
            used = PutReadRequest(area.data(), used, kCom1FrequencyOffset, kReadSize, id);
            ++records;
        }
        PutEndOfRequests(area.data(), used);
        benchmark::DoNotOptimize(WalkReplies(area.data(), area.size(), reads));
        benchmark::ClobberMemory();
    }
    ReportPerRecord(state, records);
}

void BM_FullAreaThroughTheLink(benchmark::State& state) {
    FakeIpcTransport transport;
    Fsuipc link(transport);
    link.IpcInit();
    IpcResult result = IpcOk;
    if (!link.IpcOpen(0, result)) {
        state.SkipWithError("the link did not open");
        return;
    }
    std::vector<uint8_t> destinations(kIpcAreaSize);
    size_t records = 0;
    for (auto _ : state) {
        records = 0;
        while (link.IpcRead(kCom1FrequencyOffset, kReadSize, &destinations[records * kReadSize],
                            result)) {
            ++records;
        }
        if (!link.IpcProcess(result)) state.SkipWithError("exchange failed");
        benchmark::ClobberMemory();
    }
    ReportPerRecord(state, records);
    link.IpcClose();
}

}  // namespace

BENCHMARK(BM_QueueAndWalkFullAreaOnSpan);
BENCHMARK(BM_FullAreaThroughTheLink);
