// Hostile IPP requests against the real server: collections nested past
// any use, uploads past the spool's limits, and requests mangled at random.
// Each is refused or answered, and the server goes on serving.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <future>
#include <random>
#include <string>
#include <vector>

#include "support/AppServer.h"
#include "support/TempDir.h"

namespace {
constexpr const char* kPrinter = "shelf";

void Put16(std::string& bytes, size_t value) {
    bytes += char(value >> 8);
    bytes += char(value & 255);
}

std::string Attr(uint8_t tag, const std::string& name, const std::string& value) {
    std::string bytes(1, char(tag));
    Put16(bytes, name.size());
    bytes += name;
    Put16(bytes, value.size());
    return bytes + value;
}

// A request: IPP/2.0 header, the operation attributes a printer needs and
// `extra` attributes in the operation group.
std::string Request(ipp_op_t op, const std::string& uri, const std::string& extra) {
    std::string bytes = {2, 0, char(op >> 8), char(op & 255), 0, 0, 0, 1, IPP_TAG_OPERATION};
    bytes += Attr(IPP_TAG_CHARSET, "attributes-charset", "utf-8");
    bytes += Attr(IPP_TAG_LANGUAGE, "attributes-natural-language", "en");
    bytes += Attr(IPP_TAG_URI, "printer-uri", uri);
    return bytes + extra + char(IPP_TAG_END);
}

// A media-col value whose collections nest `levels` deep.
std::string NestedMediaCol(int levels) {
    std::string bytes = Attr(IPP_TAG_BEGIN_COLLECTION, "media-col", "");
    for (int i = 1; i < levels; i++)
        bytes +=
            Attr(IPP_TAG_MEMBERNAME, "", "media-size") + Attr(IPP_TAG_BEGIN_COLLECTION, "", "");
    for (int i = 0; i < levels; i++) bytes += Attr(IPP_TAG_END_COLLECTION, "", "");
    return bytes;
}

// Posts raw bytes as an IPP request: the IPP status of the answer, or -1
// when none came (an HTTP error, a closed connection).
int Post(const AppServer& app, const std::string& bytes) {
    http_t* http = app.Connect();
    if (!http) return -1;
    httpClearFields(http);
    httpSetField(http, HTTP_FIELD_CONTENT_TYPE, "application/ipp");
    httpSetLength(http, bytes.size());
    int status = -1;
    if (httpPost(http, (std::string("/ipp/print/") + kPrinter).c_str()) == 0 &&
        httpWrite2(http, bytes.data(), bytes.size()) == ssize_t(bytes.size())) {
        http_status_t code;
        while ((code = httpUpdate(http)) == HTTP_STATUS_CONTINUE) {
        }
        ipp_t* response = ippNew();
        if (code == HTTP_STATUS_OK && ippRead(http, response) == IPP_STATE_DATA)
            status = ippGetStatusCode(response);
        ippDelete(response);
    }
    httpClose(http);
    return status;
}

// A "PNG" of `size` bytes: the signature, then zeros; queued, never decoded.
std::string PngOfSize(size_t size) {
    const std::string path = TempDir::Shared().NewPath("upload") + ".png";
    std::string bytes = "\x89PNG\r\n\x1a\n";
    bytes.resize(size, '\0');
    WriteFileText(path, bytes);
    return path;
}

int PrintFile(const AppServer& app, const std::string& file,
              const std::string& printer = kPrinter) {
    ipp_t* request = app.NewRequest(IPP_OP_PRINT_JOB, printer);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 "image/png");
    ipp_t* response = app.Send(request, "/ipp/print/" + printer, file);
    const int status = response ? ippGetStatusCode(response) : -1;
    ippDelete(response);
    return status;
}

// The documents in the spool folder: their count and bytes.
std::pair<int, uintmax_t> SpooledDocuments(const AppServer& app) {
    std::pair<int, uintmax_t> found{0, 0};
    for (const auto& entry :
         std::filesystem::directory_iterator(app.Dir() + "/thermal-printer-app.d"))
        if (entry.path().extension() == ".png") {
            found.first++;
            found.second += entry.file_size();
        }
    return found;
}

int Answers(const AppServer& app) {
    return Post(app, Request(IPP_OP_GET_PRINTER_ATTRIBUTES, app.PrinterUri(kPrinter), ""));
}
}  // namespace

TEST(AppHostile, DeepCollectionsAndLargeUploadsAreRefused) {
    std::signal(SIGPIPE, SIG_IGN);  // a refused upload closes the connection
    AppServer app(AppServer::Options{{"max-job-size", "1M"}, {"max-spool-size", "3M"}});
    ASSERT_TRUE(app.AddPrinter(kPrinter, "tspl_203"));
    const std::string uri = app.PrinterUri(kPrinter);
    const struct {
        const char* what;
        int levels;
        bool answered;
    } nesting[] = {
        {"32 levels are read", 32, true},
        {"33 levels are refused", 33, false},
        {"10000 levels are refused, not a stack overflow", 10000, false},
    };
    for (const auto& row : nesting) {
        SCOPED_TRACE(row.what);
        const int status =
            Post(app, Request(IPP_OP_GET_PRINTER_ATTRIBUTES, uri, NestedMediaCol(row.levels)));
        EXPECT_EQ(status >= 0, row.answered) << status;
        EXPECT_EQ(Answers(app), IPP_STATUS_OK);
    }

    // One document past the job limit: refused, and nothing of it is kept.
    EXPECT_EQ(PrintFile(app, PngOfSize(2 << 20)), IPP_STATUS_ERROR_REQUEST_ENTITY);
    EXPECT_EQ(SpooledDocuments(app).first, 0);

    // Queued documents up to the spool's limit; the next is refused: full.
    ASSERT_EQ(app.Command({"pause", "-d", kPrinter}), 0);
    const std::string document = PngOfSize(900 << 10);
    std::vector<int> statuses;
    for (int i = 0; i < 5; i++) statuses.push_back(PrintFile(app, document));
    EXPECT_EQ(statuses,
              (std::vector<int>{IPP_STATUS_OK, IPP_STATUS_OK, IPP_STATUS_OK,
                                IPP_STATUS_ERROR_TOO_MANY_JOBS, IPP_STATUS_ERROR_TOO_MANY_JOBS}));
    EXPECT_EQ(SpooledDocuments(app), std::make_pair(3, uintmax_t{3} * (900 << 10)));
    EXPECT_EQ(Answers(app), IPP_STATUS_OK);

    // `submit` names the refusal and fails; the job it left says why.
    std::string said, jobs;
    EXPECT_EQ(
        app.Command({"submit", "-d", kPrinter, "-o", "document-format=image/png", document}, &said),
        1);
    const std::string full = "The spool is full: queued documents fill the 3 MiB it holds.";
    EXPECT_EQ(said, "thermal-printer-app: Unable to print '" + document + "': " + full +
                        " Try again when jobs have printed.\n");
    app.Command({"jobs", "-d", kPrinter}, &jobs);
    EXPECT_NE(jobs.find(" aborted "), std::string::npos) << jobs;
    EXPECT_NE(jobs.find(" (" + full), std::string::npos) << jobs;
}

// The spool counts the documents of the jobs that exist: a deleted printer's
// leave with it, files of no job leave at the next start, and of uploads at
// once the earliest keep their room while the others hear the spool is full.
TEST(AppHostile, TheSpoolHoldsOnlyTheJobsThatExist) {
    std::signal(SIGPIPE, SIG_IGN);
    AppServer app(AppServer::Options{{"max-job-size", "1M"}, {"max-spool-size", "3M"}});
    for (const char* printer : {kPrinter, "other"}) {
        ASSERT_TRUE(app.AddPrinter(printer, "tspl_203"));
        ASSERT_EQ(app.Command({"pause", "-d", printer}), 0);
    }
    const std::string document = PngOfSize(900 << 10);
    for (int i = 0; i < 3; i++) ASSERT_EQ(PrintFile(app, document), IPP_STATUS_OK);
    ASSERT_EQ(app.Command({"delete", "-d", kPrinter}), 0);
    EXPECT_EQ(SpooledDocuments(app).first, 0);

    // Six uploads at once into the room of three.
    std::vector<std::future<int>> uploads;
    for (int i = 0; i < 6; i++)
        uploads.push_back(
            std::async(std::launch::async, [&] { return PrintFile(app, document, "other"); }));
    int accepted = 0;
    for (auto& upload : uploads) {
        const int status = upload.get();
        accepted += status == IPP_STATUS_OK;
        if (status != IPP_STATUS_OK) {
            EXPECT_EQ(status, IPP_STATUS_ERROR_TOO_MANY_JOBS);
        }
    }
    EXPECT_GE(accepted, 1);
    EXPECT_EQ(SpooledDocuments(app), std::make_pair(accepted, uintmax_t(accepted) * (900 << 10)));
    EXPECT_NE(app.Log().find("The spool is full"), std::string::npos);

    // A document of a printer that is gone, found at the start, goes.
    const std::string spool = app.Dir() + "/thermal-printer-app.d/";
    app.Restart(
        [&](const std::string&) { WriteFileText(spool + "p00001j000000009-lost.png", "x"); });
    EXPECT_FALSE(std::filesystem::exists(spool + "p00001j000000009-lost.png"));
    EXPECT_EQ(SpooledDocuments(app).first, accepted);
}

// Valid requests with bytes changed, cut or repeated at random (seeded):
// each is answered or refused, and the server keeps answering.
TEST(AppHostile, MangledRequestsLeaveTheServerServing) {
    std::signal(SIGPIPE, SIG_IGN);
    AppServer app;
    ASSERT_TRUE(app.AddPrinter(kPrinter, "tspl_203"));
    const std::string size =
        Attr(IPP_TAG_BEGIN_COLLECTION, "media-col", "") +
        Attr(IPP_TAG_MEMBERNAME, "", "media-size") + Attr(IPP_TAG_BEGIN_COLLECTION, "", "") +
        Attr(IPP_TAG_MEMBERNAME, "", "x-dimension") +
        Attr(IPP_TAG_INTEGER, "", std::string("\0\0\x27\x10", 4)) +
        Attr(IPP_TAG_END_COLLECTION, "", "") + Attr(IPP_TAG_END_COLLECTION, "", "");
    const std::string valid[] = {
        Request(IPP_OP_GET_PRINTER_ATTRIBUTES, app.PrinterUri(kPrinter), size),
        Request(IPP_OP_VALIDATE_JOB, app.PrinterUri(kPrinter),
                size + Attr(IPP_TAG_KEYWORD, "thermal-dither", "stucki")),
    };
    std::mt19937 random(27);
    for (int i = 0; i < 300; i++) {
        std::string bytes = valid[i % 2];
        switch (random() % 4) {
            case 0:  // bytes changed
                for (int n = 0; n < 4; n++) bytes[random() % bytes.size()] = char(random());
                break;
            case 1:  // cut short
                bytes.resize(random() % bytes.size());
                break;
            case 2: {  // a stretch repeated: deeper nesting, more attributes
                const size_t at = random() % bytes.size(), length = 1 + random() % 24;
                const std::string piece = bytes.substr(at, length);
                for (int n = 0; n < 40; n++) bytes.insert(at, piece);
                break;
            }
            default:  // a length made huge
                bytes[9 + random() % (bytes.size() - 9)] = char(0xff);
                break;
        }
        Post(app, bytes);
    }
    EXPECT_TRUE(app.Alive());
    EXPECT_EQ(Answers(app), IPP_STATUS_OK);
}
