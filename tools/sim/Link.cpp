#include "tools/sim/Link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::string Failure(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

CLink::~CLink() {
    for (int fd : {m_listener, m_master, m_slave})
        if (fd >= 0) close(fd);
    if (!m_link.empty()) unlink(m_link.c_str());
}

std::string CLink::Open(const tagSimOptions& options) {
    return options.ptyLink.empty() ? OpenListener(options.port) : OpenTerminal(options.ptyLink);
}

std::string CLink::OpenListener(int port) {
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listener < 0) return Failure("cannot create a socket");
    int on = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return Failure("cannot listen on 127.0.0.1:" + std::to_string(port));
    socklen_t length = sizeof address;
    if (listen(m_listener, 16) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return Failure("cannot listen on 127.0.0.1:" + std::to_string(port));
    m_where = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    return std::string();
}

// The slave side is raw (no echo, no line editing, no CR/LF translation),
// as a serial printer's line is.
std::string CLink::OpenTerminal(const std::string& link) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return Failure("cannot open a pseudo-terminal");
    const char* name = ptsname(m_master);
    if (!name) return Failure("cannot name the pseudo-terminal");
    m_where = name;
    m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (m_slave < 0 || tcgetattr(m_slave, &raw) != 0) return Failure("cannot open " + m_where);
    cfmakeraw(&raw);
    if (tcsetattr(m_slave, TCSANOW, &raw) != 0) return Failure("cannot set " + m_where + " raw");
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) return link + " exists and is not a symbolic link";
        unlink(link.c_str());
    }
    if (symlink(name, link.c_str()) != 0) return Failure("cannot create the link " + link);
    m_link = link;
    return std::string();
}

int CLink::Accept() const {
    return accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}
