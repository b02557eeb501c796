#pragma once

#include <pappl/pappl.h>

#include <string>

// Removes the files of the spool folder that belong to no job and no
// printer of the loaded state: documents of printers deleted while the
// server was down or before it saved, leftovers of a crash. They would
// fill the folder and count for nothing. Only names PAPPL gives its files
// ("pNNNNN-…", "pNNNNNjNNNNNNNNN-…") are looked at.
void RemoveOrphanSpoolFiles(pappl_system_t* system, const std::string& folder);
