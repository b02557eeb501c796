#include "app/ipp/StateFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {
const char* Env(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The folder that holds the state file and the spool folder, or empty.
std::string ConfigFolder() {
    if (const char* snap = Env("SNAP_COMMON")) return snap;
    if (getuid() == 0) return "";
    if (const char* xdg = Env("XDG_CONFIG_HOME")) return xdg;
    if (const char* home = Env("HOME")) {
        const std::string config = std::string(home) + "/.config";
        std::error_code ignored;
        std::filesystem::create_directories(config, ignored);
        return config;
    }
    return std::filesystem::temp_directory_path().string();
}

// Flushes a file or folder to the disk; false, with errno set, when it
// cannot be.
bool SyncPath(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    const int error = errno;
    if (close(fd) != 0 || !synced) {
        if (!synced) errno = error;
        return false;
    }
    return true;
}

// Logs why a save failed; false with errno kept, for PAPPL to tell the client.
bool Failed(pappl_system_t* system, const char* what, const std::string& path) {
    const int error = errno;
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to save the state: %s \"%s\": %s", what,
             path.c_str(), std::strerror(error));
    errno = error;
    return false;
}
}  // namespace

std::string StateFilePath(const std::string& baseName) {
    const std::string folder = ConfigFolder();
    return folder.empty() ? "/var/lib/" + baseName + ".state" : folder + "/" + baseName + ".state";
}

std::string SpoolDirectoryPath(const std::string& baseName) {
    const std::string folder = ConfigFolder();
    return folder.empty() ? "/var/spool/" + baseName : folder + "/" + baseName + ".d";
}

bool SaveStateAtomically(pappl_system_t* system, void* data) {
    const std::string path = static_cast<const char*>(data);
    const std::string temporary = path + ".new";
    // PAPPL logs why its writing failed; the old file stays.
    if (!papplSystemSaveState(system, temporary.c_str())) {
        const int error = errno;
        std::remove(temporary.c_str());
        errno = error;
        return false;
    }
    if (!SyncPath(temporary, O_RDONLY)) {
        Failed(system, "cannot flush", temporary);
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        return Failed(system, "cannot replace", path);
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (!SyncPath(folder, O_RDONLY | O_DIRECTORY)) return Failed(system, "cannot flush", folder);
    return true;
}
