#include <benchmark/benchmark.h>

#include "bench/BenchPages.h"
#include "render/BaseRender.h"

// Image operations on a 4x6 in label at 203 dpi and an A4 page at 300 dpi.
// Items processed are pixels.

namespace {
const BenchPageSize& PageArg(const benchmark::State& state) {
    return state.range(0) == 0 ? kLabel4x6 : kA4At300;
}

void SetPixels(benchmark::State& state, const BenchPageSize& s) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * s.width * s.height);
}

void BM_CreateFromArray(benchmark::State& state) {
    const BenchPageSize& s = PageArg(state);
    std::vector<uint8_t> px = MakeBenchGray(s);
    CRasterImage image;
    for (auto _ : state) image.CreateFromArray(px.data(), s.width, s.height, 8, s.width, false);
    SetPixels(state, s);
}

void BM_GrayScale24(benchmark::State& state) {
    const BenchPageSize& s = PageArg(state);
    std::vector<uint8_t> rgb = MakeBenchRgb(s);
    CRasterImage image;
    for (auto _ : state) {
        state.PauseTiming();
        image.CreateFromArray(rgb.data(), s.width, s.height, 24, s.width * 3, false);
        state.ResumeTiming();
        image.GrayScale();
    }
    SetPixels(state, s);
}

void BM_Light(benchmark::State& state) {
    const BenchPageSize& s = PageArg(state);
    CRasterImage image;
    LoadGrayPage(image, s);
    for (auto _ : state) image.Light(10, 20);
    SetPixels(state, s);
}

void BM_Threshold(benchmark::State& state) {
    const BenchPageSize& s = PageArg(state);
    CRasterImage image;
    for (auto _ : state) {
        state.PauseTiming();
        LoadGrayPage(image, s);
        state.ResumeTiming();
        image.Threshold(175);
    }
    SetPixels(state, s);
}

// Every dither method on the text page and on a page of mid tones only.
template <void (*Load)(CRasterImage&, const BenchPageSize&)>
void DitherOn(benchmark::State& state) {
    const BenchPageSize& s = PageArg(state);
    CRasterImage image;
    for (auto _ : state) {
        state.PauseTiming();
        Load(image, s);
        state.ResumeTiming();
        image.Dither(static_cast<int32_t>(state.range(1)));
    }
    SetPixels(state, s);
}

void BM_Dither(benchmark::State& state) {
    DitherOn<LoadGrayPage>(state);
}
void BM_DitherPhoto(benchmark::State& state) {
    DitherOn<LoadPhotoPage>(state);
}

void BM_CropWhiteEdge(benchmark::State& state) {
    const BenchPageSize& s = PageArg(state);
    CBaseRender render;
    render.iDpi = s.dpi;
    for (auto _ : state) {
        state.PauseTiming();
        LoadOneBitPage(render.image, s);
        state.ResumeTiming();
        render.CropWhiteEdge(-1, -1, -1, -1);
    }
    SetPixels(state, s);
}

void BM_Rotate(benchmark::State& state) {
    const BenchPageSize& s = PageArg(state);
    CRasterImage image;
    LoadOneBitPage(image, s);
    float angle = static_cast<float>(state.range(1));
    for (auto _ : state) image.Rotate(angle, nullptr);
    SetPixels(state, s);
}

void BM_Negative(benchmark::State& state) {
    const BenchPageSize& s = PageArg(state);
    CBaseRender render;
    LoadOneBitPage(render.image, s);
    for (auto _ : state) render.Negative();
    SetPixels(state, s);
}

void PageSizes(benchmark::internal::Benchmark* b) {
    b->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
}

void DitherMethods(benchmark::internal::Benchmark* b) {
    for (int page : {0, 1})
        for (int method = 0; method <= 9; method++) b->Args({page, method});
    b->Unit(benchmark::kMillisecond);
}

void Angles(benchmark::internal::Benchmark* b) {
    for (int page : {0, 1})
        for (int angle : {90, 180, 270}) b->Args({page, angle});
    b->Unit(benchmark::kMillisecond);
}
}  // namespace

BENCHMARK(BM_CreateFromArray)->Apply(PageSizes);
BENCHMARK(BM_GrayScale24)->Apply(PageSizes);
BENCHMARK(BM_Light)->Apply(PageSizes);
BENCHMARK(BM_Threshold)->Apply(PageSizes);
BENCHMARK(BM_Dither)->Apply(DitherMethods);
BENCHMARK(BM_DitherPhoto)->Apply(DitherMethods);
BENCHMARK(BM_CropWhiteEdge)->Apply(PageSizes);
BENCHMARK(BM_Rotate)->Apply(Angles);
BENCHMARK(BM_Negative)->Apply(PageSizes);
