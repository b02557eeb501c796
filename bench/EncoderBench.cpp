#include <benchmark/benchmark.h>

#include "bench/BenchPages.h"
#include "languages/cpcl/Encoder.h"
#include "languages/epl/Encoder.h"
#include "languages/escpos/Encoder.h"
#include "languages/paperang/Encoder.h"
#include "languages/peripage/Encoder.h"
#include "languages/tspl/Encoder.h"
#include "languages/zpl/Encoder.h"

// Every encoder's OnPaintBmp on the prepared 1-bit page: 0 the 4x6 in label
// at 203 dpi, 1 the A4 page at 300 dpi, 2 the photo-like A4 page (a dithered
// page codes and compresses worst). Items are page pixels; bytes are what
// the encoder hands to WriteSpool.

namespace {
template <class T>
class CCountingPrinter : public T {
public:
    void WriteSpool(const void*, int length) override {
        if (length > 0) written += length;
    }
    int64_t written = 0;
};

const BenchPageSize& PageArg(const benchmark::State& state) {
    return state.range(0) == 0 ? kLabel4x6 : kA4At300;
}

// The page as the pipeline leaves it: Burkes dither (the default), every bit
// past the width set.
const CRasterImage& PreparedPage(int64_t page) {
    static CBaseRender pages[3];
    CBaseRender& r = pages[page];
    if (!r.image.IsValid()) {
        if (page == 2)
            LoadPhotoPage(r.image, kA4At300);
        else
            LoadGrayPage(r.image, page == 0 ? kLabel4x6 : kA4At300);
        r.image.Dither(2);
        r.AdjustEffWidthBits();
    }
    return r.image;
}

// Encoders invert or crop the page in place, so each pass starts from a fresh
// copy (not timed).
template <class T>
void PaintPages(benchmark::State& state, bool compress) {
    const BenchPageSize& s = PageArg(state);
    CCountingPrinter<T> printer;
    printer.iDpi = s.dpi;
    printer.halftone.ImageCompress = compress ? 1 : 0;
    for (auto _ : state) {
        state.PauseTiming();
        printer.image = PreparedPage(state.range(0));
        state.ResumeTiming();
        printer.OnPaintBmp();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * s.width * s.height);
    state.SetBytesProcessed(printer.written);
    state.counters["page_bytes"] = static_cast<double>(printer.written) /
                                   static_cast<double>(std::max<int64_t>(state.iterations(), 1));
}

void BM_TsplRaw(benchmark::State& state) {
    PaintPages<CPrinterTSPL>(state, false);
}
void BM_TsplZlib(benchmark::State& state) {
    PaintPages<CPrinterTSPL>(state, true);
}
void BM_EscPos(benchmark::State& state) {
    PaintPages<CPrinterESCPOS>(state, false);
}
void BM_Cpcl(benchmark::State& state) {
    PaintPages<CPrinterCPCL>(state, false);
}
void BM_PeriPageRaw(benchmark::State& state) {
    PaintPages<CPrinterPeriPage>(state, false);
}
void BM_PeriPageDeflate(benchmark::State& state) {
    PaintPages<CPrinterPeriPage>(state, true);
}
// Huffman tree, coding and the CRC-framed packets.
void BM_Paperang(benchmark::State& state) {
    PaintPages<CPrinterPaperang>(state, false);
}
// Hex with run-length compression, or Z64 (zlib, base64, CRC-16).
void BM_ZplHex(benchmark::State& state) {
    PaintPages<CPrinterZPL>(state, false);
}
void BM_ZplZ64(benchmark::State& state) {
    PaintPages<CPrinterZPL>(state, true);
}
void BM_Epl(benchmark::State& state) {
    PaintPages<CPrinterEPL>(state, false);
}

void PageSizes(benchmark::internal::Benchmark* b) {
    b->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
}
}  // namespace

BENCHMARK(BM_TsplRaw)->Apply(PageSizes);
BENCHMARK(BM_TsplZlib)->Apply(PageSizes);
BENCHMARK(BM_EscPos)->Apply(PageSizes);
BENCHMARK(BM_Cpcl)->Apply(PageSizes);
BENCHMARK(BM_PeriPageRaw)->Apply(PageSizes);
BENCHMARK(BM_PeriPageDeflate)->Apply(PageSizes);
BENCHMARK(BM_Paperang)->Apply(PageSizes);
BENCHMARK(BM_ZplHex)->Apply(PageSizes);
BENCHMARK(BM_ZplZ64)->Apply(PageSizes);
BENCHMARK(BM_Epl)->Apply(PageSizes);
