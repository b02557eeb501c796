#pragma once

#include <pappl/pappl.h>

#include <string>

// Where the server keeps its state and spool, from the environment the way
// the command-line client looks for the server (SNAP_COMMON, root, the
// user's configuration folder).
std::string StateFilePath(const std::string& baseName);
std::string SpoolDirectoryPath(const std::string& baseName);

// Saves the system's state so that a crash or kill at any moment leaves
// either the old file or the new one, whole: written beside it, flushed to
// the disk, then renamed over it.
bool SaveStateAtomically(pappl_system_t* system, void* path);
