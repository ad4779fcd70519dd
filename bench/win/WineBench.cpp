// Measures one exchange over the link against the real stand-in simulator, and the
// bare round trip of the same message to the same server with the same area, so the
// link's own share of an exchange shows.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "bench/win/BenchSupport.h"
#include "ipc/Fsuipc.h"
#include "platform/win32/Win32IpcTransport.h"
#include "tools/simserver/SimServerCore.h"

namespace {

constexpr int kWarmUp = 200;
constexpr int kRounds = 10;
constexpr int kPerRound = 500;  // the two kinds alternate in rounds, so drift hits both
constexpr DWORD kSendTimeoutMs = 2000;

struct Figures {
    double median = 0;
    double mean = 0;
};

Figures Summarise(std::vector<double> samples) {
    Figures figures;
    std::sort(samples.begin(), samples.end());
    figures.median = samples[samples.size() / 2];
    figures.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / samples.size();
    return figures;
}

class Bench {
  public:
    explicit Bench(Fsuipc& link) : link_(link) {}

    // One COM1 read queued and exchanged over the link.
    double TimeLinkExchange() {
        uint16_t bcd = 0;
        IpcResult result = IpcOk;
        const LONGLONG start = watch_.Now();
        const bool ok =
            link_.IpcRead(kCom1FrequencyOffset, 2, &bcd, result) && link_.IpcProcess(result);
        const LONGLONG end = watch_.Now();
        if (!ok || bcd == 0) failures_++;
        return watch_.Microseconds(start, end);
    }

    // The same area, prepared once, re-terminated and sent as the link sends it.
    double TimeRawRoundTrip() {
        const IpcLink& state = link_.Link();
        DWORD_PTR reply = 0;
        const LONGLONG start = watch_.Now();
        StoreLe32(state.ViewBase + kReadHeaderSize + 2, EndOfRequests);
        const LRESULT sent =
            SendMessageTimeoutA(reinterpret_cast<HWND>(state.ServerWindow), state.MessageId,
                                static_cast<WPARAM>(static_cast<LONG_PTR>(state.MappingAtom)), 0,
                                SMTO_BLOCK, kSendTimeoutMs, &reply);
        const LONGLONG end = watch_.Now();
        if (sent == 0 || reply != 1) failures_++;
        return watch_.Microseconds(start, end);
    }

    // A message the server answers without touching any area: the system's share.
    double TimeEmptyRoundTrip() {
        DWORD_PTR reply = 0;
        const LONGLONG start = watch_.Now();
        const LRESULT sent = SendMessageTimeoutA(reinterpret_cast<HWND>(link_.Link().ServerWindow),
                                                 WM_NULL, 0, 0, SMTO_BLOCK, kSendTimeoutMs, &reply);
        const LONGLONG end = watch_.Now();
        if (sent == 0) failures_++;
        return watch_.Microseconds(start, end);
    }

    void PrepareRawArea() {
        uint8_t* area = link_.Link().ViewBase;
        StoreLe32(area, ReadRequest);
        StoreLe32(area + 4, kCom1FrequencyOffset);
        StoreLe32(area + 8, 2);
        StoreLe32(area + 12, 0);  // nowhere: the bare round trip copies nothing
    }

    int Failures() const { return failures_; }

  private:
    Fsuipc& link_;
    bench::StopWatch watch_;
    int failures_ = 0;
};

void Report(const char* what, const Figures& figures) {
    std::printf("%-34s median %8.2f us   mean %8.2f us\n", what, figures.median, figures.mean);
}

}  // namespace

int main() {
    bench::Simulator simulator;
    if (!simulator.Start(L"--title Benchmark")) {
        std::fprintf(stderr, "standin-sim.exe did not start or showed no window\n");
        return 1;
    }
    Win32IpcTransport transport;
    Fsuipc link(transport);
    link.IpcInit();
    IpcResult result = IpcOk;
    if (!link.IpcOpen(0, result)) {
        std::fprintf(stderr, "the link did not open: result %d\n", static_cast<int>(result));
        return 1;
    }

    Bench bench(link);
    std::vector<double> linkSamples, rawSamples, emptySamples;
    for (int i = 0; i < kWarmUp; ++i) bench.TimeLinkExchange();
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kPerRound; ++i) linkSamples.push_back(bench.TimeLinkExchange());
        bench.PrepareRawArea();
        for (int i = 0; i < kPerRound; ++i) rawSamples.push_back(bench.TimeRawRoundTrip());
        for (int i = 0; i < kPerRound; ++i) emptySamples.push_back(bench.TimeEmptyRoundTrip());
    }
    link.IpcClose();

    const Figures linked = Summarise(linkSamples);
    const Figures raw = Summarise(rawSamples);
    std::printf("%d samples each, %d-bit build\n", kRounds * kPerRound,
                static_cast<int>(sizeof(void*) * 8));
    Report("IpcRead + IpcProcess (COM1)", linked);
    Report("raw SendMessageTimeoutA", raw);
    Report("(WM_NULL round trip, no area)", Summarise(emptySamples));
    std::printf("ratio link/raw                     median %8.3f      mean %8.3f\n",
                linked.median / raw.median, linked.mean / raw.mean);
    if (bench.Failures() != 0) {
        std::fprintf(stderr, "%d exchanges failed\n", bench.Failures());
        return 1;
    }
    return 0;
}
