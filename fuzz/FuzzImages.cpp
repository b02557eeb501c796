// The printer application's PNG and JPEG decoders on arbitrary bytes. The
// first byte sets up the run: bit 0 makes the job print in gray, bit 1
// keeps a PNG's chunk checksums as they come (else they are made right, or
// libpng would refuse nearly every change to a chunk), and the other bits
// cancel the job at that check of the decoder (0: never). The rest is the
// file, which both decoders read from memory. The limits are small, so that inputs
// run quickly, and a decode must keep to them: a finding is an image beyond
// them, a single allocation of more than twice their bytes (for PNG, of more
// than libpng's chunk limit, which is larger), or an end that breaks the
// decoder's promise (a failure without a message, a message and success, two
// messages).
#include <sanitizer/allocator_interface.h>
#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "app/documents/DecodedImage.h"

namespace {
constexpr ImageLimits kLimits{4096, 4096, 1 << 20, 3 << 20};
constexpr size_t kMaxJpegAllocation = 2 * kLimits.bytes;
constexpr size_t kMaxPngAllocation = 8000000;

// Nonzero while a decoder runs.
volatile size_t g_allocationCap = 0;

void OnMalloc(const volatile void*, size_t size) {
    if (g_allocationCap == 0 || size <= g_allocationCap) return;
    g_allocationCap = 0;
    std::fprintf(stderr, "the decoder allocated %zu bytes in one piece\n", size);
    std::abort();
}

void OnFree(const volatile void*) {}

// libpng and libjpeg are not instrumented, so what they lead to counts as
// coverage: each message, and the size class of each decoded image.
__attribute__((section("__libfuzzer_extra_counters"))) uint8_t g_features[4096];

void CountFeature(uint32_t hash) {
    g_features[hash % sizeof g_features]++;
}

// A message's words without numbers (sizes, offsets, marker codes), bytes
// ("[FF]") and libpng's chunk names ("gAMA:"), so that only new kinds count.
uint32_t MessageHash(std::string_view message) {
    uint32_t hash = 2166136261u;
    for (size_t start = 0; start < message.size();) {
        const size_t end = std::min(message.find(' ', start), message.size());
        const std::string_view word = message.substr(start, end - start);
        start = end + 1;
        if (word.find_first_of("0123456789[") != word.npos) continue;
        if (word.size() == 5 && word.back() == ':') continue;
        for (char c : word) hash = (hash ^ uint8_t(c)) * 16777619u;
    }
    return hash;
}

class FuzzImageJob : public ImageJob {
public:
    FuzzImageJob(bool gray, int cancelAt) : m_gray(gray), m_cancelAt(cancelAt) {}
    void Log(ImageLog, const char* message) override { CountFeature(MessageHash(message)); }
    void Fail(ImageFault, const char* message) override {
        if (m_failures++ > 0 || message[0] == '\0') std::abort();
        CountFeature(MessageHash(message));
    }
    bool IsCanceled() override { return m_cancelAt > 0 && ++m_checks >= m_cancelAt; }
    ImageLimits Limits() override { return kLimits; }
    bool PrintsGray(bool color) override { return m_gray || !color; }

    int Failures() const { return m_failures; }
    bool Canceled() const { return m_cancelAt > 0 && m_checks >= m_cancelAt; }

private:
    bool m_gray;
    int m_cancelAt;
    int m_checks = 0;
    int m_failures = 0;
};

bool WithinLimits(const DecodedImage& image) {
    const uint64_t width = uint64_t(image.width), height = uint64_t(image.height);
    return (image.depth == 1 || image.depth == 3) && width > 0 && height > 0 &&
           width <= kLimits.width && height <= kLimits.height && width * height <= kLimits.pixels &&
           image.pixels.size() == width * height * uint64_t(image.depth);
}

// The file with every complete chunk's CRC made right, if it is a PNG.
std::vector<uint8_t> WithPngCrcs(std::vector<uint8_t> file) {
    static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (file.size() < 8 || !std::equal(kSignature, kSignature + 8, file.begin())) return file;
    for (size_t at = 8; at + 12 <= file.size();) {
        const size_t length =
            size_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        if (length > file.size() - at - 12) break;
        const uLong crc = crc32(0, file.data() + at + 4, uInt(length + 4));
        for (int i = 0; i < 4; i++) file[at + 8 + length + i] = uint8_t(crc >> (24 - 8 * i));
        at += length + 12;
    }
    return file;
}

// Decodes the file with a fresh job and checks how the decoder ended; the
// image's depth, 0 when there is none.
int Check(bool (*decode)(FILE*, ImageJob&, DecodedImage&), size_t maxAllocation,
          std::vector<uint8_t>& bytes, uint8_t setup) {
    FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!file) std::abort();
    FuzzImageJob job(setup & 1, setup >> 2);
    DecodedImage image;
    g_allocationCap = maxAllocation;
    const bool decoded = decode(file, job, image);
    g_allocationCap = 0;
    std::fclose(file);
    const bool ended = decoded ? job.Failures() == 0 && WithinLimits(image)
                               : job.Failures() == 1 || (job.Failures() == 0 && job.Canceled());
    if (!ended) std::abort();
    if (!decoded) return 0;
    CountFeature(uint32_t(image.depth) << 16 | std::bit_width(unsigned(image.width)) << 8 |
                 std::bit_width(unsigned(image.height)));
    return image.depth;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (__sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) == 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::vector<uint8_t> file(data + 1, data + size);
    std::vector<uint8_t> png = (data[0] & 2) ? file : WithPngCrcs(file);
    Check(DecodePng, kMaxPngAllocation, png, data[0]);
    const int jpegDepth = Check(DecodeJpeg, kMaxJpegAllocation, file, data[0]);
    // A JPEG is decoded to what the job prints.
    if ((data[0] & 1) && jpegDepth == 3) std::abort();
    return 0;
}
