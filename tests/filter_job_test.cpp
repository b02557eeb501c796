#include <gtest/gtest.h>

#include "support/FilterRunner.h"
#include "support/PpdWriter.h"
#include "support/RasterWriter.h"

TEST(FilterJob, RunsThreePagesAndReportsEachPage) {
    std::string ppd = WritePpd(20);
    TestPage p = MakePage(16, 2, 0xFF, 1);
    FilterResult r = RunFilter(ppd, MakeRaster({p, p, p}));
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    size_t pos = 0;
    for (int n = 1; n <= 3; n++) {
        std::string n_ = std::to_string(n);
        for (std::string line : {"PAGE: " + n_ + " 1\n", "INFO: Starting page " + n_ + ".",
                                 "INFO: Finished page " + n_ + "."}) {
            size_t at = r.err.find(line, pos);
            ASSERT_NE(at, std::string::npos) << line << " in\n" << r.err;
            pos = at;
        }
    }
}
