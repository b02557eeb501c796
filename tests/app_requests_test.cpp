#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/AppServer.h"
#include "support/ImageFiles.h"
#include "support/RasterWriter.h"
#include "support/TempDir.h"
#include "tools/preview/StreamDecoder.h"

// What the application takes and refuses, through its command line, IPP
// and its web form: settings outside their values, documents it cannot
// print, unknown drivers and unusable or forbidden devices.
namespace {
// The answer to one request: an exit status or an IPP status code, what it
// said, and the job it made.
struct Outcome {
    int code = -1;
    std::string message;
    int jobId = 0;
};

constexpr const char* kPrinter = "shelf";

Outcome RunCommand(AppServer& app, const std::vector<std::string>& args) {
    Outcome o;
    o.code = app.Command(args, &o.message);
    return o;
}

Outcome Answer(ipp_t* response) {
    const char* message =
        ippGetString(ippFindAttribute(response, "status-message", IPP_TAG_TEXT), 0, nullptr);
    Outcome o{ippGetStatusCode(response), message ? message : "",
              ippGetInteger(ippFindAttribute(response, "job-id", IPP_TAG_INTEGER), 0)};
    // A value the answer names as unsupported comes back in that group.
    for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response))
        if (ippGetGroupTag(a) == IPP_TAG_UNSUPPORTED_GROUP)
            o.message += std::string(" [") + ippGetName(a) + "]";
    ippDelete(response);
    return o;
}

// A job request for the printer: a document format ("" for none), one
// vendor attribute (`value` a number goes as an integer) and a document.
Outcome Job(AppServer& app, ipp_op_t op, const std::string& format, const std::string& name = "",
            const std::string& value = "", const std::string& file = "", bool fidelity = false) {
    ipp_t* request = app.NewRequest(op, kPrinter);
    if (!format.empty())
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                     format.c_str());
    if (fidelity) ippAddBoolean(request, IPP_TAG_OPERATION, "ipp-attribute-fidelity", 1);
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (!name.empty() && !*end)
        ippAddInteger(request, IPP_TAG_JOB, IPP_TAG_INTEGER, name.c_str(), int(number));
    else if (!name.empty())
        ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, name.c_str(), nullptr, value.c_str());
    return Answer(app.Send(request, std::string("/ipp/print/") + kPrinter, file));
}

Outcome SendDocument(AppServer& app, const std::string& format, const std::string& file) {
    const int id = Job(app, IPP_OP_CREATE_JOB, "").jobId;
    ipp_t* request = app.NewRequest(IPP_OP_SEND_DOCUMENT, kPrinter);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", id);
    ippAddBoolean(request, IPP_TAG_OPERATION, "last-document", 1);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 format.c_str());
    return Answer(app.Send(request, std::string("/ipp/print/") + kPrinter, file));
}

// Set-Printer-Attributes with the default medium's offset member.
Outcome SetMediaOffset(AppServer& app, const char* member, int hundredths) {
    ipp_t* request = app.NewRequest(IPP_OP_SET_PRINTER_ATTRIBUTES, kPrinter);
    ipp_t* col = ippNew();
    ippAddInteger(col, IPP_TAG_ZERO, IPP_TAG_INTEGER, member, hundredths);
    ippAddCollection(request, IPP_TAG_PRINTER, "media-col-default", col);
    ippDelete(col);
    return Answer(app.Send(request, std::string("/ipp/print/") + kPrinter));
}

// The Printing Defaults form with one field changed: 0 when it was saved,
// 1 when it came back refused, with the page's banner.
Outcome WebForm(AppServer& app, const std::string& name, const std::string& value) {
    const std::string page =
        app.SubmitForm(std::string("/") + kPrinter + "/printing", {{name, value}});
    const size_t start = page.find("<div class=\"banner\">");
    const size_t end = page.find("</div>", start);
    Outcome o;
    o.message = start == std::string::npos ? page : page.substr(start + 20, end - start - 20);
    o.code = o.message.find("Changes saved.") != std::string::npos ? 0 : 1;
    if (page.find("name=\"" + name + "\"") == std::string::npos) o.code = 2;  // no form
    return o;
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), {}};
}

constexpr int kIgnored = IPP_STATUS_OK_IGNORED_OR_SUBSTITUTED;
constexpr int kBadValue = IPP_STATUS_ERROR_ATTRIBUTES_OR_VALUES;
constexpr int kBadFormat = IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED;
constexpr const char* kTakes = "This printer prints PDF, PNG, JPEG, PWG raster and Apple raster";

struct Row {
    const char* what;
    std::function<Outcome(AppServer&)> send;
    int code;
    std::string message;
    // Afterwards: the printer's "<setting>-default" is `value` (null: as it
    // was), and a job the request made has no `setting`.
    const char* setting = nullptr;
    const char* value = nullptr;
};

TEST(AppRequests, TakeOnlyWhatThePrinterCanUse) {
    AppServer app;
    ASSERT_TRUE(app.AddPrinter(kPrinter, "tspl_203"));
    ASSERT_EQ(app.Command({"modify", "-d", kPrinter, "-o", "thermal-threshold=128"}), 0);
    const std::string dir = app.Dir();
    WriteFileText(dir + "/victim", "root-owned line\n");
    std::filesystem::create_symlink(dir + "/victim", dir + "/out/link.prn");
    const std::string hello = dir + "/hello.txt", ps = dir + "/label.ps", pwg = dir + "/p.pwg";
    WriteFileText(hello, "hello\n");
    WriteFileText(ps, "%!PS-Adobe-3.0\n");
    WriteFileBytes(pwg, MakePwgRaster({MakePage(812, 40, 0, 8, 203)}));
    auto modify = [](std::string options) {
        return
            [options](AppServer& a) { return RunCommand(a, Words("modify -d shelf " + options)); };
    };
    auto command = [](std::string line) {
        return [line](AppServer& a) { return RunCommand(a, Words(line)); };
    };
    auto web = [](const char* name, const char* value) {
        return [=](AppServer& a) { return WebForm(a, name, value); };
    };
    const Row rows[] = {
        {"modify: two defaults outside their values",
         modify("-o thermal-print-method=ink -o thermal-dither=bogus"), 1,
         "Unable to modify printer: thermal-dither takes one of threshold, floyd-steinberg, "
         "bayer-4x4, burkes, stucki, jarvis-judice-ninke, sierra, stevenson-arce, ordered-4x4, "
         "bayer-8x8, ordered-16x16, worm-free, not \"bogus\". thermal-print-method takes one of "
         "direct-thermal, thermal-transfer, not \"ink\".",
         "thermal-dither"},
        {"Set-Printer-Attributes: a media offset past the driver's range",
         [](AppServer& a) { return SetMediaOffset(a, "media-left-offset", 3000); }, kBadValue,
         "media-left-offset takes 0mm to 24mm, not 30mm. [media-col-default]"},
        {"Set-Printer-Attributes: the tear offset, in millimetres",
         [](AppServer& a) {
             ipp_t* request = a.NewRequest(IPP_OP_SET_PRINTER_ATTRIBUTES, kPrinter);
             ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_INTEGER,
                           "label-tear-offset-configured", -350);
             return Answer(a.Send(request, std::string("/ipp/print/") + kPrinter));
         },
         kBadValue, "label-tear-offset takes -3mm to 10mm, not -3.5mm."},
        {"modify: a range value that is no number", modify("-o thermal-brightness=abc"), 1,
         "thermal-brightness takes a whole number from -100 to 100, not \"abc\"",
         "thermal-brightness"},
        {"modify: values inside", modify("-o thermal-threshold=64 -o thermal-dither=stucki"), 0, "",
         "thermal-threshold", "64"},
        {"add: unknown driver",
         command("add -d evil -m tspl203 -v file://" + dir + "/out/shelf.prn"), 1,
         "There is no driver \"tspl203\": \"thermal-printer-app drivers\" lists them."},
        {"add: a file outside the folder",
         command("add -d evil -m tspl_203 -v file://" + dir + "/victim"), 1,
         "is a file outside " + std::filesystem::canonical(dir + "/out").string() +
             ", the folder this server takes file devices in"},
        {"add: out of the folder by ..",
         command("add -d evil -m tspl_203 -v file://" + dir + "/out/../victim"), 1, "it leads to"},
        {"add: out of the folder by a link",
         command("add -d evil -m tspl_203 -v file://" + dir + "/out/link.prn"), 1, "it leads to"},
        {"add: a file not there",
         command("add -d evil -m tspl_203 -v file://" + dir + "/out/none.prn"), 1,
         "which the server cannot write to"},
        {"add: a malformed URI", command("add -d evil -m tspl_203 -v no-uri"), 1,
         "The device URI \"no-uri\" is malformed"},
        {"add: a scheme without devices", command("add -d evil -m tspl_203 -v gopher://host/x"), 1,
         "has the scheme \"gopher\""},
        {"add: a network printer with one slash",
         command("add -d evil -m tspl_203 -v socket:/127.0.0.1:9731"), 1,
         "\"socket:/127.0.0.1:9731\" is not of the form socket://HOST or socket://HOST:PORT"},
        {"add: a network printer without a host, before any question to it",
         command("add -d evil -m auto -v socket://"), 1, "is not of the form socket://HOST"},
        {"add: a file with a host", command("add -d evil -m tspl_203 -v file://evil.prn"), 1,
         "is not of the form file:///PATH"},
        {"add: a Bluetooth address cut short", command("add -d evil -m cat_203 -v ble://AA-BB"), 1,
         "is not of the form ble://AA-BB-CC-DD-EE-FF"},
        {"add: USB without a model", command("add -d evil -m tspl_203 -v usb://TSC"), 1,
         "is not of the form usb://MAKE/MODEL"},
        {"modify: a device URI of the wrong form", modify("-v socket:/127.0.0.1:9100"), 1,
         "is not of the form socket://HOST"},
        {"modify: a device URI, which cannot change", modify("-v socket://127.0.0.1:9100"), 1,
         "A printer's device cannot be changed: delete the printer and add it again"},
        {"submit: text", command("submit -d shelf " + hello), 1,
         "Unable to print '" + hello + "': This printer prints PDF, PNG"},
        {"submit: PostScript", command("submit -d shelf " + ps), 1,
         "the document is a PostScript file"},
        {"Print-Job: text/plain",
         [&](AppServer& a) { return Job(a, IPP_OP_PRINT_JOB, "text/plain", "", "", hello); },
         kBadFormat, "text/plain is not one of them. [document-format]"},
        {"Validate-Job: application/postscript",
         [](AppServer& a) { return Job(a, IPP_OP_VALIDATE_JOB, "application/postscript"); },
         kBadFormat, kTakes},
        {"Send-Document: application/postscript",
         [&](AppServer& a) { return SendDocument(a, "application/postscript", hello); }, kBadFormat,
         "application/postscript is not one of them"},
        {"Print-Job: a vendor value outside the range is dropped",
         [&](AppServer& a) {
             return Job(a, IPP_OP_PRINT_JOB, "image/pwg-raster", "thermal-threshold", "999", pwg);
         },
         kIgnored,
         "thermal-threshold takes a whole number from 64 to 240, not \"999\". [thermal-threshold]",
         "thermal-threshold"},
        {"Create-Job: a keyword for a range is dropped",
         [](AppServer& a) { return Job(a, IPP_OP_CREATE_JOB, "", "thermal-brightness", "abc"); },
         kIgnored, "[thermal-brightness]", "thermal-brightness"},
        {"Validate-Job: an unknown keyword is refused",
         [](AppServer& a) { return Job(a, IPP_OP_VALIDATE_JOB, "", "thermal-dither", "bogus"); },
         kBadValue, "thermal-dither takes one of threshold, floyd-steinberg", "thermal-dither"},
        {"Print-Job with fidelity: refused",
         [&](AppServer& a) {
             return Job(a, IPP_OP_PRINT_JOB, "image/pwg-raster", "thermal-contrast", "101", pwg,
                        true);
         },
         kBadValue, "thermal-contrast takes a whole number from -80 to 100"},
        {"Print-Job: an attribute the printer has not is dropped",
         [&](AppServer& a) {
             return Job(a, IPP_OP_PRINT_JOB, "image/pwg-raster", "thermal-dithr", "threshold", pwg);
         },
         kIgnored, "\"thermal-dithr\" is not an attribute of this printer. [thermal-dithr]"},
        {"Validate-Job: an attribute the printer has not is ignored",
         [](AppServer& a) { return Job(a, IPP_OP_VALIDATE_JOB, "", "sparkle", "7"); }, kIgnored,
         "[sparkle]"},
        {"submit: a misspelled option is reported",
         command("submit -d shelf -o thermal-dithr=threshold " + pwg), 0,
         "Ignored -o thermal-dithr: this printer has no such option."},
        {"submit: a value the setting does not take is reported",
         command("submit -d shelf -o thermal-dither=floyd " + pwg), 0,
         "Ignored thermal-dither=floyd"},
        {"submit: a medium other than the loaded one is told",
         command("submit -d shelf -o media=oe_2x1-label_2x1in " + pwg), 0,
         "The job asks for oe_2x1-label_2x1in (51 x 25 mm) but the printer has labels loaded "
         "(oe_4x6-label_4x6in, 102 x 152 mm): its pages print as they are."},
        {"Print-Job: values inside",
         [&](AppServer& a) {
             return Job(a, IPP_OP_PRINT_JOB, "image/pwg-raster", "thermal-dither", "sierra", pwg);
         },
         IPP_STATUS_OK, ""},
        {"web form: above a range", web("thermal-threshold", "5000"), 1,
         "thermal-threshold takes a whole number from 64 to 240, not &quot;5000&quot;. Nothing was "
         "changed.",
         "thermal-threshold"},
        {"web form: unknown keyword", web("thermal-dither", "bogus"), 1,
         "thermal-dither takes one of", "thermal-dither"},
        {"web form: a value inside", web("thermal-dither", "bayer-4x4"), 0, "Changes saved.",
         "thermal-dither", "bayer-4x4"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string def = row.setting ? std::string(row.setting) + "-default" : "";
        const std::string before = row.setting ? app.Attribute(kPrinter, def) : "";
        const Outcome o = row.send(app);
        EXPECT_EQ(o.code, row.code) << o.message;
        EXPECT_NE(o.message.find(row.message), std::string::npos) << o.message;
        EXPECT_EQ(app.Attribute("evil", "printer-name"), "none");
        if (!row.setting) continue;
        EXPECT_EQ(app.Attribute(kPrinter, def), row.value ? row.value : before);
        if (o.jobId > 0) {
            EXPECT_EQ(app.Attribute(kPrinter, row.setting, o.jobId), "");
        }
    }
    EXPECT_EQ(ReadFileBytes(dir + "/victim").size(), 16u);
    EXPECT_TRUE(app.Alive());
}

// A job for a medium that is not loaded is never printed silently: larger
// than the loaded labels, it is shrunk onto them; smaller, it prints as it
// is; either way the job's message says so. Receipt paper has no length.
TEST(AppRequests, APageForOtherMediaIsFittedAndTold) {
    struct MediaRow {
        const char* driver;
        const char* loaded;
        const char* asked;       // media of the job
        unsigned width, height;  // the page, 203 dpi
        const char* message;     // in job-state-message; "" for none
        uint32_t printedHeight;
    };
    const MediaRow rows[] = {
        {"tspl_203", "oe_2x1-label_2x1in", "oe_4x6-label_4x6in", 812, 1218,
         "printed shrunk to fit them.", 203},
        {"tspl_203", "oe_4x6-label_4x6in", "oe_2x1-label_2x1in", 406, 203, "printed as it is.",
         203},
        {"escpos_58", "om_58x100mm_58x100mm", "om_58x200mm_58x200mm", 464, 1600, "", 1600},
    };
    AppServer app;
    for (const MediaRow& row : rows) {
        SCOPED_TRACE(std::string(row.driver) + " " + row.loaded);
        const std::string printer = std::string(row.driver) + "-" + row.loaded;
        ASSERT_TRUE(app.AddPrinter(printer, row.driver));
        ASSERT_EQ(
            app.Command({"modify", "-d", printer, "-o", std::string("media-ready=") + row.loaded}),
            0);
        const std::string page = TempDir::Shared().NewPath("page") + ".pwg";
        TestPage gray = MakePage(row.width, row.height, 0, 8, 203);
        WriteFileBytes(page, MakePwgRaster({gray}));
        const int id = app.Print(printer, page, "image/pwg-raster", {{"media", row.asked}});
        ASSERT_EQ(app.WaitForJob(printer, id), IPP_JSTATE_COMPLETED);
        const std::string message = app.JobStateMessage(printer, id);
        if (*row.message)
            EXPECT_NE(message.find(row.message), std::string::npos) << message;
        else
            EXPECT_EQ(message.find("loaded"), std::string::npos) << message;
        const std::vector<uint8_t> bytes = app.DeviceBytes(printer);
        const tagDecodeResult decoded = DecodeStream(bytes.data(), bytes.size(), {});
        ASSERT_EQ(decoded.pages.size(), 1u);
        EXPECT_EQ(decoded.pages[0].height, row.printedHeight);
    }
}

// A printer in the state file whose file device is no longer inside the
// folder is not loaded again, and a server without the folder takes no
// file device at all.
TEST(AppRequests, FileDevicesNeedTheFolder) {
    AppServer app;
    ASSERT_TRUE(app.AddPrinter("kept", "tspl_203"));
    app.RestartWithFileDeviceFolder("");
    EXPECT_EQ(app.Attribute("kept", "printer-name"), "none");
    EXPECT_NE(app.Log().find("Printer refused: The device URI"), std::string::npos);
    const Outcome o =
        RunCommand(app, Words("add -d again -m tspl_203 -v file://" + app.DevicePath("kept")));
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.message.find("this server takes no file devices: start it with "
                             "-o file-device-folder=DIR"),
              std::string::npos)
        << o.message;
}
}  // namespace

namespace {
// Sends a request over the loopback as the user it names, with HTTP Basic
// credentials when a password is given: whether it was done.
bool SendAs(AppServer& app, ipp_t* request, const std::string& password) {
    cupsSetPasswordCB2(
        [](const char*, http_t*, const char*, const char*, void*) -> const char* {
            return nullptr;  // no prompt: what the request carries is all
        },
        nullptr);
    http_t* http = app.Connect();
    if (!password.empty()) {
        const std::string credentials = "admin:" + password;
        char encoded[256];
        httpEncode64_2(encoded, sizeof encoded, credentials.c_str(), int(credentials.size()));
        httpSetAuthString(http, "Basic", encoded);
    }
    ipp_t* response = cupsDoRequest(http, request, (std::string("/ipp/print/") + kPrinter).c_str());
    const bool done = response && ippGetStatusCode(response) < IPP_STATUS_REDIRECTION_OTHER_SITE;
    ippDelete(response);
    httpClose(http);
    return done;
}

bool SetThreshold(AppServer& app, const std::string& password, int value) {
    ipp_t* request = app.NewRequest(IPP_OP_SET_PRINTER_ATTRIBUTES, kPrinter);
    ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "thermal-threshold-default", value);
    return SendAs(app, request, password);
}

void SetPassword(AppServer& app) {
    const std::string set = app.SubmitForm(
        "/security", {{"new_password", "Secret123x"}, {"new_password2", "Secret123x"}});
    ASSERT_NE(set.find("Password changed"), std::string::npos) << set;
}
}  // namespace

// Once the web pages have a password, IPP administration needs it from
// this machine too, and only the right one opens the web pages; the
// command line, through its socket, needs none.
TEST(AppRequests, TheWebPasswordGuardsAdministration) {
    AppServer app(AppServer::Options{{"server-options", "web-security"}});
    ASSERT_TRUE(app.AddPrinter(kPrinter, "tspl_203"));
    EXPECT_TRUE(SetThreshold(app, "", 100));  // no password yet
    SetPassword(app);
    const struct {
        const char* what;
        std::function<bool(AppServer&, int)> change;
        bool done;
    } rows[] = {
        {"IPP without a password", [](AppServer& a, int v) { return SetThreshold(a, "", v); },
         false},
        {"IPP with a wrong one", [](AppServer& a, int v) { return SetThreshold(a, "Secret12", v); },
         false},
        {"IPP with the password",
         [](AppServer& a, int v) { return SetThreshold(a, "Secret123x", v); }, true},
        {"the command line",
         [](AppServer& a, int v) {
             return a.Command({"modify", "-d", kPrinter, "-o",
                               "thermal-threshold=" + std::to_string(v)}) == 0;
         },
         true},
    };
    int value = 100;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string before = app.Attribute(kPrinter, "thermal-threshold-default");
        EXPECT_EQ(row.change(app, ++value), row.done);
        EXPECT_EQ(app.Attribute(kPrinter, "thermal-threshold-default"),
                  row.done ? std::to_string(value) : before);
    }
    EXPECT_NE(app.SubmitForm("/security", {{"password", "wrong"}}).find("Password incorrect"),
              std::string::npos);
    EXPECT_EQ(app.SubmitForm("/security", {{"password", "Secret123x"}}).find("Password incorrect"),
              std::string::npos);
}

// With the web password set, a job is controlled by its owner or the
// administrator, and a printer by the administrator alone; anyone may look.
// The command line (the control socket) is the administrator.
TEST(AppRequests, OnlyOwnersAndTheAdministratorControlJobsAndPrinters) {
    AppServer app(AppServer::Options{{"server-options", "web-security"}});
    ASSERT_TRUE(app.AddPrinter(kPrinter, "tspl_203"));
    ASSERT_EQ(app.Command({"pause", "-d", kPrinter}), 0);  // jobs stay queued
    SetPassword(app);
    enum Who { Owner, Other, Admin, Anonymous };
    const char* const names[] = {"alice", "mallory", "mallory", nullptr};
    const struct {
        ipp_op_t op;
        bool onJob;
        bool allowed[4];  // Owner, Other, Admin, Anonymous
    } rows[] = {
        {IPP_OP_CANCEL_JOB, true, {true, false, true, false}},
        {IPP_OP_HOLD_JOB, true, {true, false, true, false}},
        {IPP_OP_RELEASE_JOB, true, {true, false, true, false}},
        {IPP_OP_GET_JOB_ATTRIBUTES, true, {true, true, true, true}},
        {IPP_OP_DISABLE_PRINTER, false, {false, false, true, false}},
        {IPP_OP_ENABLE_PRINTER, false, {false, false, true, false}},
        {IPP_OP_HOLD_NEW_JOBS, false, {false, false, true, false}},
        {IPP_OP_RELEASE_HELD_NEW_JOBS, false, {false, false, true, false}},
        {IPP_OP_PAUSE_PRINTER, false, {false, false, true, false}},
        {IPP_OP_RESUME_PRINTER, false, {false, false, true, false}},
        {IPP_OP_CANCEL_JOBS, false, {false, false, true, false}},
        {IPP_OP_IDENTIFY_PRINTER, false, {true, true, true, true}},
    };
    const std::string png = TempDir::Shared().NewPath("dot") + ".png";
    WriteFileBytes(png, GrayPng(8, 8, std::vector<uint8_t>(64, 0)));
    for (const auto& row : rows) {
        for (const Who who : {Owner, Other, Admin, Anonymous}) {
            SCOPED_TRACE(std::string(ippOpString(row.op)) + " by " + std::to_string(who));
            ipp_t* job = app.NewRequest(IPP_OP_PRINT_JOB, kPrinter);
            ippDeleteAttribute(job, ippFindAttribute(job, "requesting-user-name", IPP_TAG_NAME));
            ippAddString(job, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                         "alice");
            if (row.op == IPP_OP_RELEASE_JOB)
                ippAddString(job, IPP_TAG_JOB, IPP_TAG_KEYWORD, "job-hold-until", nullptr,
                             "indefinite");
            ipp_t* printed = app.Send(job, std::string("/ipp/print/") + kPrinter, png);
            const int jobId =
                ippGetInteger(ippFindAttribute(printed, "job-id", IPP_TAG_INTEGER), 0);
            ippDelete(printed);
            ASSERT_GT(jobId, 0);
            if (row.op == IPP_OP_RELEASE_HELD_NEW_JOBS)
                SendAs(app, app.NewRequest(IPP_OP_HOLD_NEW_JOBS, kPrinter), "Secret123x");
            ipp_t* request = app.NewRequest(row.op, kPrinter);
            ippDeleteAttribute(request,
                               ippFindAttribute(request, "requesting-user-name", IPP_TAG_NAME));
            if (names[who])
                ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name",
                             nullptr, names[who]);
            if (row.onJob)
                ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
            EXPECT_EQ(SendAs(app, request, who == Admin ? "Secret123x" : ""), row.allowed[who]);
            // The next row starts afresh: no jobs, accepting, paused.
            app.Command({"cancel", "-d", kPrinter, "-a"});
            for (const ipp_op_t undo : {IPP_OP_ENABLE_PRINTER, IPP_OP_RELEASE_HELD_NEW_JOBS})
                SendAs(app, app.NewRequest(undo, kPrinter), "Secret123x");
            app.Command({"pause", "-d", kPrinter});
        }
    }
}
