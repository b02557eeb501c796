#include "support/AppServer.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "support/TempDir.h"

int AppServer::FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

namespace {
bool Answers(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

// Does a server take connections on the control socket at `path`?
bool AnswersLocally(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    if (path.size() >= sizeof a.sun_path) return false;
    std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

std::string UrlEncoded(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        out += std::isalnum(c) || c == '-' || c == '_' || c == '.' ? std::string(1, char(c)) : hex;
    }
    return out;
}

// One HTTP exchange on the connection: a GET, or a POST of a urlencoded
// form; the page that comes back, and the cookie it sets.
std::string Exchange(http_t* http, const std::string& path, const std::string& cookie,
                     const std::string* form, std::string* setCookie = nullptr) {
    httpClearFields(http);
    if (!cookie.empty()) httpSetCookie(http, cookie.c_str());
    if (form) {
        httpSetField(http, HTTP_FIELD_CONTENT_TYPE, "application/x-www-form-urlencoded");
        httpSetLength(http, form->size());
        if (httpPost(http, path.c_str())) return "";
        httpWrite2(http, form->data(), form->size());
    } else if (httpGet(http, path.c_str())) {
        return "";
    }
    while (httpUpdate(http) == HTTP_STATUS_CONTINUE) {
    }
    if (setCookie && httpGetCookie(http)) *setCookie = httpGetCookie(http);
    std::string page;
    char buffer[8192];
    for (ssize_t n; (n = httpRead2(http, buffer, sizeof buffer)) > 0;) page.append(buffer, n);
    return page;
}

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Runs the application with SNAP_COMMON set; output and errors go to a file.
int Spawn(const std::string& dir, const std::vector<std::string>& args, const std::string& out,
          bool wait) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("SNAP_COMMON", dir.c_str(), 1);
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        std::vector<char*> argv{const_cast<char*>(APP_PATH)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(APP_PATH, argv.data());
        _exit(127);
    }
    if (!wait) return pid;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
}  // namespace

AppServer::AppServer(const Options& serverOptions,
                     const std::function<void(const std::string&)>& prepare)
    : m_options(serverOptions), m_dir(TempDir::Shared().NewPath("app")) {
    mkdir(m_dir.c_str(), 0755);
    if (prepare) prepare(m_dir);
    mkdir((m_dir + "/out").c_str(), 0755);
    m_port = FreePort();
    Start();
}

AppServer::~AppServer() {
    Stop();
}

void AppServer::Start() {
    Options options = {{"server-port", std::to_string(m_port)},
                       {"listen-hostname", "127.0.0.1"},
                       {"log-level", "debug"},
                       {"log-file", m_dir + "/server.log"},
                       {"file-device-folder", m_dir + "/out"}};
    for (const auto& [name, value] : m_options) options[name] = value;
    std::vector<std::string> args = {"server"};
    for (const auto& [name, value] : options)  // an empty value leaves the option out
        if (!value.empty()) args.insert(args.end(), {"-o", name + "=" + value});
    m_pid = Spawn(m_dir, args, m_dir + "/server.out", false);
    // The subcommands reach the server through its control socket, which it
    // opens after its port; one sent before would start a server of its own.
    const std::string control = m_dir + "/thermal-printer-app.sock";
    for (int i = 0; i < 200 && !(Answers(m_port) && AnswersLocally(control)) && Alive(); i++)
        Sleep(25);
}

void AppServer::Stop(int signal) {
    if (m_pid <= 0) return;
    kill(m_pid, signal);
    int status = 0;
    for (int i = 0; i < 200 && waitpid(m_pid, &status, WNOHANG) == 0; i++) Sleep(25);
    if (waitpid(m_pid, &status, WNOHANG) == 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
    }
    m_pid = -1;
}

bool AppServer::StopsWithin(int timeoutMs, int signal) {
    if (m_pid <= 0) return true;
    if (signal == 0)
        Command({"shutdown"});
    else
        kill(m_pid, signal);
    int status = 0;
    for (int waited = 0; waited < timeoutMs && waitpid(m_pid, &status, WNOHANG) == 0; waited += 25)
        Sleep(25);
    if (waitpid(m_pid, &status, WNOHANG) == 0) {
        Stop(SIGKILL);
        return false;
    }
    m_pid = -1;
    return true;
}

void AppServer::Restart(const std::function<void(const std::string&)>& whileStopped) {
    Stop();
    if (whileStopped) whileStopped(m_dir + "/thermal-printer-app.state");
    Start();
}

void AppServer::Crash(const std::function<void(const std::string&)>& whileStopped) {
    Stop(SIGKILL);
    if (whileStopped) whileStopped(m_dir + "/thermal-printer-app.state");
    Start();
}

void AppServer::RestartWithFileDeviceFolder(const std::string& folder) {
    m_options["file-device-folder"] = folder;
    Restart();
}

bool AppServer::Alive() const {
    return m_pid > 0 && kill(m_pid, 0) == 0 && waitpid(m_pid, nullptr, WNOHANG) == 0;
}

std::map<int, std::string> AppServer::Children() const {
    std::map<int, std::string> children;
    if (m_pid <= 0) return children;
    const std::string tasks = "/proc/" + std::to_string(m_pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return children;
    while (const dirent* task = readdir(dir)) {
        std::ifstream list(tasks + "/" + task->d_name + "/children");
        for (int pid = 0; list >> pid;) {
            std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline");
            std::string line((std::istreambuf_iterator<char>(cmdline)), {});
            std::replace(line.begin(), line.end(), '\0', ' ');
            children[pid] = line;
        }
    }
    closedir(dir);
    return children;
}

int AppServer::Command(const std::vector<std::string>& args, std::string* output) {
    if (!output) return Spawn(m_dir, args, m_dir + "/commands.log", true);
    const std::string file = TempDir::Shared().NewPath("command") + ".log";
    const int status = Spawn(m_dir, args, file, true);
    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    output->assign(bytes.begin(), bytes.end());
    return status;
}

std::vector<std::pair<int, std::string>> AppServer::Commands(
    const std::vector<std::vector<std::string>>& each) {
    std::vector<std::pair<pid_t, std::string>> running;
    for (const std::vector<std::string>& args : each) {
        const std::string file = TempDir::Shared().NewPath("command") + ".log";
        running.emplace_back(Spawn(m_dir, args, file, false), file);
    }
    std::vector<std::pair<int, std::string>> results;
    for (const auto& [pid, file] : running) {
        int status = 0;
        waitpid(pid, &status, 0);
        const std::vector<uint8_t> bytes = ReadFileBytes(file);
        results.emplace_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                             std::string(bytes.begin(), bytes.end()));
    }
    return results;
}

bool AppServer::AddPrinter(const std::string& name, const std::string& driver,
                           const std::string& deviceUri) {
    std::string uri = deviceUri;
    if (uri.empty()) {
        WriteFileText(DevicePath(name), "");
        uri = "file://" + DevicePath(name);
    }
    return Command({"add", "-d", name, "-m", driver, "-v", uri}) == 0;
}

std::string AppServer::DevicePath(const std::string& printer) const {
    return m_dir + "/out/" + printer + ".prn";
}

std::vector<uint8_t> AppServer::DeviceBytes(const std::string& printer) const {
    return ReadFileBytes(DevicePath(printer));
}

// The server starts a new log at 1 MiB and keeps the last one as ".O".
std::string AppServer::Log() const {
    std::vector<uint8_t> bytes = ReadFileBytes(m_dir + "/server.log.O");
    const std::vector<uint8_t> current = ReadFileBytes(m_dir + "/server.log");
    bytes.insert(bytes.end(), current.begin(), current.end());
    return std::string(bytes.begin(), bytes.end());
}

std::string AppServer::Output() const {
    std::vector<uint8_t> bytes = ReadFileBytes(m_dir + "/server.out");
    return std::string(bytes.begin(), bytes.end());
}

std::string AppServer::PrinterUri(const std::string& printer) const {
    return "ipp://127.0.0.1:" + std::to_string(m_port) + "/ipp/print/" + printer;
}

ipp_t* AppServer::Request(ipp_t* request, const std::string& printer, const std::string& file) {
    return Send(request, "/ipp/print/" + printer, file);
}

ipp_t* AppServer::Send(ipp_t* request, const std::string& resource, const std::string& file) const {
    http_t* http = Connect();
    if (!http) {
        ippDelete(request);
        return nullptr;
    }
    ipp_t* response = file.empty()
                          ? cupsDoRequest(http, request, resource.c_str())
                          : cupsDoFileRequest(http, request, resource.c_str(), file.c_str());
    httpClose(http);
    return response;
}

ipp_t* AppServer::NewRequest(ipp_op_t operation, const std::string& printer) const {
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(printer).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, "test");
    return request;
}

int AppServer::Print(const std::string& printer, const std::string& file, const std::string& format,
                     const Options& options) {
    ipp_t* request = NewRequest(IPP_OP_PRINT_JOB, printer);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 format.c_str());
    for (const auto& [name, value] : options) {
        char* end = nullptr;
        long n = std::strtol(value.c_str(), &end, 10);
        const ipp_tag_t tag = name == "orientation-requested" ? IPP_TAG_ENUM : IPP_TAG_INTEGER;
        if (!value.empty() && *end == '\0')
            ippAddInteger(request, IPP_TAG_JOB, tag, name.c_str(), static_cast<int>(n));
        else
            ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, name.c_str(), nullptr,
                         value.c_str());
    }
    ipp_t* response = Request(request, printer, file);
    int id = ippGetInteger(ippFindAttribute(response, "job-id", IPP_TAG_INTEGER), 0);
    if (id == 0) {
        std::fprintf(stderr, "Print-Job refused: %s\n", cupsLastErrorString());
    }
    ippDelete(response);
    return id;
}

ipp_t* AppServer::JobRequest(const std::string& printer, int jobId) const {
    ipp_t* request = NewRequest(IPP_OP_GET_JOB_ATTRIBUTES, printer);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    return request;
}

ipp_jstate_t AppServer::WaitForJob(const std::string& printer, int jobId, int timeoutMs) {
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    for (int waited = jobId > 0 ? 0 : timeoutMs + 1; waited <= timeoutMs; waited += 50) {
        ipp_t* response = Request(JobRequest(printer, jobId), printer);
        state = static_cast<ipp_jstate_t>(
            ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0));
        ippDelete(response);
        if (state >= IPP_JSTATE_CANCELED) break;
        Sleep(50);
    }
    return state;
}

http_t* AppServer::Connect() const {
    return httpConnect2("127.0.0.1", m_port, nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1, 30000,
                        nullptr);
}

std::string AppServer::SubmitForm(const std::string& path, const Options& fields) {
    http_t* http = Connect();
    std::string cookie;
    const std::string page = Exchange(http, path, "", nullptr, &cookie);
    std::smatch token;
    std::regex_search(page, token, std::regex("name=\"session\" value=\"([^\"]*)\""));
    std::string form = "session=" + token[1].str();
    for (const auto& [name, value] : fields)
        form += "&" + UrlEncoded(name) + "=" + UrlEncoded(value);
    // A fresh connection: PAPPL closes some pages' connections after the GET.
    httpClose(http);
    http = Connect();
    const std::string answer = Exchange(http, path, cookie.substr(0, cookie.find(';')), &form);
    httpClose(http);
    return answer;
}

std::string AppServer::Fetch(const std::string& path) const {
    http_t* http = Connect();
    const std::string body = Exchange(http, path, "", nullptr);
    httpClose(http);
    return body;
}

int AppServer::ActiveJob(const std::string& printer) {
    ipp_t* request = NewRequest(IPP_OP_GET_JOBS, printer);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr,
                 "not-completed");
    ipp_t* response = Request(request, printer);
    int id = ippGetInteger(ippFindAttribute(response, "job-id", IPP_TAG_INTEGER), 0);
    ippDelete(response);
    return id;
}

void AppServer::CancelJob(const std::string& printer, int jobId) {
    ipp_t* request = NewRequest(IPP_OP_CANCEL_JOB, printer);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippDelete(Request(request, printer));
}

ipp_pstate_t AppServer::PrinterState(const std::string& printer) {
    ipp_t* response = Request(NewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, printer), printer);
    auto state = static_cast<ipp_pstate_t>(
        ippGetInteger(ippFindAttribute(response, "printer-state", IPP_TAG_ENUM), 0));
    ippDelete(response);
    return state;
}

std::string AppServer::JobStateMessage(const std::string& printer, int jobId) {
    ipp_t* response = Request(JobRequest(printer, jobId), printer);
    const char* text =
        ippGetString(ippFindAttribute(response, "job-state-message", IPP_TAG_TEXT), 0, nullptr);
    std::string message = text ? text : "";
    ippDelete(response);
    return message;
}

std::string AppServer::Attribute(const std::string& printer, const std::string& name,
                                 int jobId) const {
    ipp_t* request =
        NewRequest(jobId ? IPP_OP_GET_JOB_ATTRIBUTES : IPP_OP_GET_PRINTER_ATTRIBUTES, printer);
    if (jobId) ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ipp_t* response = Send(request, "/ipp/print/" + printer);
    char text[256] = "";
    ippAttributeString(ippFindAttribute(response, name.c_str(), IPP_TAG_ZERO), text, sizeof text);
    if (ippGetStatusCode(response) != IPP_STATUS_OK) std::snprintf(text, sizeof text, "none");
    ippDelete(response);
    return text;
}

std::string AppDefaultPpdOptions(const std::string& driver) {
    return driver.starts_with("escpos_") ? "CutMode=2" : "";
}
