#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/AppServer.h"
#include "support/ImageFiles.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"
#include "tools/preview/StreamDecoder.h"

namespace {
// A PWG page whose header declares a size of which only two lines come.
std::vector<uint8_t> PwgDeclaring(unsigned width, unsigned height) {
    TestPage page = MakePage(width, 2, 255);
    page.height = height;
    return MakePwgRaster({page});
}

std::vector<uint8_t> FirstHalf(const std::vector<uint8_t>& bytes) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2));
}

// The share of burnt dots on the one label of a TSPL stream, in percent.
int InkPercent(const std::vector<uint8_t>& stream) {
    tagDecodeOptions options;
    options.language = PreviewLanguage::TSPL;
    const tagDecodeResult result = DecodeStream(stream.data(), stream.size(), options);
    if (result.pages.size() != 1 || !result.pages[0].HasBitmap()) return -1;
    const tagDecodedPage& page = result.pages[0];
    uint64_t black = 0;
    for (uint32_t y = 0; y < page.height; y++)
        for (uint32_t x = 0; x < page.width; x++) black += page.IsBlack(x, y);
    return static_cast<int>(black * 100 / (uint64_t{page.width} * page.height));
}

// Every document ends its job, hostile ones quickly with a message that says
// why and nothing sent to the device; the printer then takes the next job.
// The good images print a label with about a tenth of it black: PAPPL's own
// reader printed 1-bit and transparent gray PNGs nearly all black.
TEST(AppInput, EachDocumentEndsItsJobAndThePrinterGoesOn) {
    AppServer app;
    ASSERT_TRUE(app.AddPrinter("lbl", "tspl_203"));
    const std::vector<uint8_t> png = BandPng(400, 600);
    const std::vector<uint8_t> jpeg = BandJpeg(400, 600);
    struct Case {
        const char* what;
        std::vector<uint8_t> document;
        const char* format;
        ipp_jstate_t state;
        const char* message;  // a part of the job-state-message
        bool prints;
    };
    const Case cases[] = {
        {"truncated PNG", FirstHalf(png), "image/png", IPP_JSTATE_ABORTED, "could not be read",
         false},
        {"garbage as PNG", std::vector<uint8_t>(4096, 'x'), "image/png", IPP_JSTATE_ABORTED,
         "not a PNG image", false},
        {"PNG declaring 16384x16384", WithPngSize(png, 16384, 16384), "image/png",
         IPP_JSTATE_ABORTED, "16384x16384 pixels is too large", false},
        {"JPEG declaring 16000x16000", WithJpegSize(jpeg, 16000, 16000), "image/jpeg",
         IPP_JSTATE_ABORTED, "16000x16000 pixels is too large", false},
        {"truncated JPEG", FirstHalf(jpeg), "image/jpeg", IPP_JSTATE_ABORTED, "could not be read",
         false},
        {"PWG page of 100000x100000", PwgDeclaring(100000, 100000), "image/pwg-raster",
         IPP_JSTATE_ABORTED, "100000x100000 dots is larger than the largest medium", false},
        {"PWG page of 576x4294967295", PwgDeclaring(576, 4294967295u), "image/pwg-raster",
         IPP_JSTATE_ABORTED, "576x4294967295 dots is larger than the largest medium", false},
        {"PWG page of 6000x9000", MakePwgRaster({MakePage(6000, 9000, 128)}), "image/pwg-raster",
         IPP_JSTATE_ABORTED, "larger than the largest medium", false},
        {"PNG", png, "image/png", IPP_JSTATE_COMPLETED, "", true},
        {"1-bit PNG", BandPng(400, 600, PngKind::Gray1), "image/png", IPP_JSTATE_COMPLETED, "",
         true},
        {"transparent PNG", BandPng(400, 600, PngKind::GrayAlpha), "image/png",
         IPP_JSTATE_COMPLETED, "", true},
        {"JPEG", jpeg, "image/jpeg", IPP_JSTATE_COMPLETED, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = TempDir::Shared().NewPath("input");
        WriteFileBytes(path, c.document);
        const size_t before = app.DeviceBytes("lbl").size();
        const int id = app.Print("lbl", path, c.format);
        ASSERT_GT(id, 0);
        EXPECT_EQ(app.WaitForJob("lbl", id, 20000), c.state);
        EXPECT_NE(app.JobStateMessage("lbl", id).find(c.message), std::string::npos)
            << app.JobStateMessage("lbl", id);
        const std::vector<uint8_t> all = app.DeviceBytes("lbl");
        const std::vector<uint8_t> sent(all.begin() + static_cast<long>(before), all.end());
        EXPECT_EQ(!sent.empty(), c.prints) << sent.size() << " bytes";
        if (c.prints) {
            EXPECT_NEAR(InkPercent(sent), 10, 5);
        }
        ASSERT_TRUE(app.Alive());
    }
}
}  // namespace
