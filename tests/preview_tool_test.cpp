// The thermal-preview command: PNG files, summary, exit status and messages.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/PreviewStreams.h"
#include "support/TempDir.h"

namespace {

struct ToolResult {
    int status = -1;
    std::string out, err;
};

std::string ReadText(const std::string& path) {
    Bytes b = ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

// Runs the tool through the shell; `input` is redirected to stdin when set.
ToolResult RunTool(const std::string& args, const std::string& input = "") {
    std::string base = TempDir::Shared().NewPath("tool");
    std::string cmd = std::string(PREVIEW_PATH) + " " + args + " >" + base + ".out 2>" + base +
                      ".err" + (input.empty() ? "" : " <" + input);
    int raw = std::system(cmd.c_str());
    ToolResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadText(base + ".out");
    r.err = ReadText(base + ".err");
    return r;
}

// Reads a PNG as 8-bit gray; empty on failure.
Bytes ReadGrayPng(const std::string& path, uint32_t& width, uint32_t& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_GRAY;
    Bytes pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    width = image.width;
    height = image.height;
    return pixels;
}

void ExpectPng(const std::string& path, const TestBitmap& bm) {
    Bytes file = ReadFileBytes(path);
    ASSERT_GT(file.size(), 26u) << path;
    EXPECT_EQ(file[24], 1) << "bit depth";
    EXPECT_EQ(file[25], 0) << "gray";
    uint32_t w = 0, h = 0;
    Bytes gray = ReadGrayPng(path, w, h);
    ASSERT_EQ(w, bm.rowBytes * 8);
    ASSERT_EQ(h, bm.rows);
    for (uint32_t y = 0; y < h; y++)
        for (uint32_t x = 0; x < w; x++) {
            bool dot = (bm.black[y * bm.rowBytes + x / 8] >> (7 - x % 8)) & 1;
            ASSERT_EQ(gray[y * w + x], dot ? 0 : 255) << x << "," << y;
        }
}

}  // namespace

TEST(PreviewTool, WritesOnePngPerPageBesideTheInput) {
    std::string dir = TempDir::Shared().NewPath("beside");
    std::filesystem::create_directories(dir);
    Bytes stream = CpclPage(SampleBitmap(0));
    Put(stream, CpclPage(SampleBitmap(1)));
    WriteFileBytes(dir + "/label.cpcl", stream);
    ToolResult r = RunTool(dir + "/label.cpcl");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    ExpectPng(dir + "/label-1.png", SampleBitmap(0));
    ExpectPng(dir + "/label-2.png", SampleBitmap(1));
    EXPECT_EQ(
        r.out.rfind(
            "language: CPCL\npages: 2\npage 1: 32 x 3 dots\n  image: " + dir + "/label-1.png\n", 0),
        0u)
        << r.out;
}

TEST(PreviewTool, StdinWithForcedLanguageAndPrefix) {
    std::string in = TempDir::Shared().NewPath("stream");
    WriteFileBytes(in, PaperangPage(SampleBitmap(1), 0xCAFE));
    std::string prefix = TempDir::Shared().NewPath("forced");
    ToolResult r = RunTool("--language paperang --seed 0xcafe -o " + prefix + " -", in);
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectPng(prefix + "-1.png", SampleBitmap(1));
    EXPECT_NE(r.out.find("checksum: ok (6 packets)"), std::string::npos) << r.out;

    r = RunTool("--strict -o " + prefix, in);  // default seed: checksum errors
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("<stdin>: byte 9: packet checksum"), std::string::npos) << r.err;

    EXPECT_EQ(RunTool("--language pcl", in).status, 2);
    EXPECT_EQ(RunTool("--seed nonsense", in).status, 2);
}

TEST(PreviewTool, FaultyStreamExitsOneAndKeepsEarlierPages) {
    Bytes stream = TsplPage(SampleBitmap(0), false);
    size_t second = stream.size();
    Put(stream, TsplPage(SampleBitmap(1), true));
    stream.resize(stream.size() - 20);  // into the zlib data of page 2
    std::string in = TempDir::Shared().NewPath("cut") + ".tspl";
    WriteFileBytes(in, stream);
    ToolResult r = RunTool(in);
    EXPECT_EQ(r.status, 1);
    std::string prefix = in.substr(0, in.size() - 5);
    ExpectPng(prefix + "-1.png", SampleBitmap(0));
    EXPECT_FALSE(std::filesystem::exists(prefix + "-2.png"));
    EXPECT_NE(r.out.find("pages: 1\n"), std::string::npos) << r.out;
    // The message names the byte where the zlib data begins and what is missing.
    std::string text(stream.begin(), stream.end());
    size_t data = text.find("BITMAP", second);
    for (int comma = 0; comma < 6; comma++) data = text.find(',', data) + 1;
    EXPECT_NE(r.err.find(in + ": byte " + std::to_string(data) + ": expected zlib BITMAP data"),
              std::string::npos)
        << r.err;

    EXPECT_EQ(RunTool(TempDir::Shared().NewPath("missing")).status, 1);
}
