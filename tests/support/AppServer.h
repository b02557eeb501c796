#pragma once

#include <cups/cups.h>

#include <csignal>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The filter's options that print what the application prints by default
// on a printer of this driver: receipt printers cut at the end of the job.
std::string AppDefaultPpdOptions(const std::string& driver);

// build/thermal-printer-app run as a private server for one test: state,
// spool and log in a fresh folder, listening on 127.0.0.1 on a free port,
// taking file devices in the folder's out/ (or the given folder; "" for
// none). Jobs go in over IPP on the loopback, as any client sends them.
class AppServer {
public:
    using Options = std::map<std::string, std::string>;

    // `serverOptions` add to or replace the server's `-o` options; `file:`
    // devices are allowed in its folder's "out" unless they say otherwise.
    // `prepare` may change the folder before the server first starts (mount
    // a file system on it).
    explicit AppServer(const Options& serverOptions = {},
                       const std::function<void(const std::string& dir)>& prepare = {});
    ~AppServer();
    AppServer(const AppServer&) = delete;
    AppServer& operator=(const AppServer&) = delete;

    // Stops the server (SIGTERM, as a service manager does) and starts it
    // again on the same state, which `whileStopped` may change first.
    void Restart(const std::function<void(const std::string& stateFile)>& whileStopped = {});
    // Kills the server (SIGKILL, as a crash or power loss) and starts it again.
    void Crash(const std::function<void(const std::string& stateFile)>& whileStopped = {});
    // Stops the server with a signal, or with the `shutdown` subcommand for
    // signal 0; false when it had not exited after `timeoutMs` (it is then
    // killed).
    bool StopsWithin(int timeoutMs, int signal);
    // Adds a printer whose device is a file under the server's folder (or
    // the given device URI); false when the application refuses it.
    bool AddPrinter(const std::string& name, const std::string& driver,
                    const std::string& deviceUri = "");
    // Runs a subcommand of the application against this server; with
    // `output`, what it printed.
    int Command(const std::vector<std::string>& args, std::string* output = nullptr);
    // Runs several subcommands at once; each one's exit status and output.
    std::vector<std::pair<int, std::string>> Commands(
        const std::vector<std::vector<std::string>>& each);
    // Starts the server again taking file devices in another folder.
    void RestartWithFileDeviceFolder(const std::string& folder);

    // Print-Job with a document and job attributes (numbers are sent as
    // integers, orientation-requested as an enum, other values as
    // keywords); the job id, or 0.
    int Print(const std::string& printer, const std::string& file, const std::string& format,
              const Options& options = {});
    // Waits (bounded) until the job has ended; its job-state.
    ipp_jstate_t WaitForJob(const std::string& printer, int jobId, int timeoutMs = 20000);
    std::string JobStateMessage(const std::string& printer, int jobId);
    // An attribute of the printer, or of one of its jobs, as text: empty
    // when it has none, "none" when there is no such printer or job.
    std::string Attribute(const std::string& printer, const std::string& name, int jobId = 0) const;
    // The first job of the printer that has not ended, or 0.
    int ActiveJob(const std::string& printer);
    void CancelJob(const std::string& printer, int jobId);
    ipp_pstate_t PrinterState(const std::string& printer);

    // Requests for clients of their own: operation attributes set.
    ipp_t* NewRequest(ipp_op_t operation, const std::string& printer) const;
    http_t* Connect() const;
    // Sends a request to a resource ("/ipp/system", "/ipp/print/NAME") with
    // an optional document; the response (null when there is none).
    ipp_t* Send(ipp_t* request, const std::string& resource, const std::string& file = "") const;
    // Submits a web form as a browser does: the page first, for its session
    // cookie and token, then the fields. The page that comes back.
    std::string SubmitForm(const std::string& path, const Options& fields);
    // The body of a GET of the path (a page, an icon).
    std::string Fetch(const std::string& path) const;

    std::string DevicePath(const std::string& printer) const;
    std::vector<uint8_t> DeviceBytes(const std::string& printer) const;
    std::string Log() const;
    // What the server wrote on its standard output and error.
    std::string Output() const;
    const std::string& Dir() const { return m_dir; }
    bool Alive() const;
    // The server's child processes: their ids and command lines.
    std::map<int, std::string> Children() const;
    std::string PrinterUri(const std::string& printer) const;

    // A TCP port on 127.0.0.1 that nothing listens on.
    static int FreePort();

private:
    void Start();
    void Stop(int signal = SIGTERM);
    ipp_t* JobRequest(const std::string& printer, int jobId) const;
    ipp_t* Request(ipp_t* request, const std::string& printer, const std::string& file = "");

    Options m_options;
    std::string m_dir;
    int m_port = 0;
    int m_pid = -1;
};
