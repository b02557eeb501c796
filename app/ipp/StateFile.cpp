#include "app/ipp/StateFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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

bool SyncPath(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
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
    if (!papplSystemSaveState(system, temporary.c_str()) || !SyncPath(temporary, O_RDONLY)) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to save the state to \"%s\".",
                 temporary.c_str());
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to replace the state file \"%s\".",
                 path.c_str());
        return false;
    }
    SyncPath(std::filesystem::path(path).parent_path().string(), O_RDONLY | O_DIRECTORY);
    return true;
}
