#include <benchmark/benchmark.h>

#include "bench/BenchPages.h"
#include "languages/cat/CatPacket.h"
#include "languages/cat/Encoder.h"

// The cat printer's bytes for a 58 x 100 mm receipt (384 x 800 dots at
// 203 dpi, the benchmark page: text, bars, a gradient box, white between),
// against a print that sends every line. Counters: page_bytes and packets as
// encoded, every_line_bytes as a print of one line packet per row would be.

namespace {
constexpr BenchPageSize kReceipt58x100{384, 800, 203};

class CCountingCat : public CPrinterCat {
public:
    void WriteSpool(const void* data, int length) override {
        std::span<const uint8_t> rest(static_cast<const uint8_t*>(data),
                                      static_cast<size_t>(length));
        bytes = length;
        packets = lines = 0;
        cat::Packet p;
        while (cat::ReadPacket(rest, p) == cat::Framing::Whole) {
            packets++;
            lines += p.command == cat::kLine;
            rest = rest.subspan(p.size);
        }
    }
    int64_t bytes = 0, packets = 0, lines = 0;
};

void BM_CatReceipt(benchmark::State& state) {
    static const std::vector<uint8_t> gray = MakeBenchGray(kReceipt58x100);
    CCountingCat printer;
    printer.iDpi = kReceipt58x100.dpi;
    for (auto _ : state) {
        state.PauseTiming();
        printer.image.CreateFromArray(gray.data(), kReceipt58x100.width, kReceipt58x100.height, 8,
                                      kReceipt58x100.width, false);
        printer.image.Dither(2);
        printer.AdjustEffWidthBits();
        state.ResumeTiming();
        printer.OnPaintBmp();
    }
    const int64_t lineBytes = CPrinterCat::kLineBytes + cat::kOverhead;
    const int64_t feedBytes = 2 + cat::kOverhead;
    const int64_t others = printer.bytes - printer.lines * lineBytes -
                           (printer.packets - printer.lines - 8) * feedBytes;
    state.counters["page_bytes"] = static_cast<double>(printer.bytes);
    state.counters["packets"] = static_cast<double>(printer.packets);
    state.counters["line_packets"] = static_cast<double>(printer.lines);
    state.counters["every_line_bytes"] =
        static_cast<double>(others + kReceipt58x100.height * lineBytes);
}
}  // namespace

BENCHMARK(BM_CatReceipt)->Unit(benchmark::kMillisecond);
