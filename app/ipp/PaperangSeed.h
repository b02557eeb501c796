#pragma once

#include <pappl/pappl.h>

#include <cstdint>

class CBaseRender;

// The checksum seed a Paperang printer shares with its host, as a printer
// setting: the text vendor attribute "thermal-paperang-seed" ("0x" and hex
// digits, or a decimal number). Jobs take the printer's value.
inline constexpr const char* kPaperangSeedOption = "thermal-paperang-seed";
inline constexpr const char* kPaperangSeedLabel = "Checksum seed (0x and hex digits, or decimal)";

// Lists the setting among the printer's vendor attributes; a new printer
// gets the seed of printers in the field.
void AddPaperangSeedOption(pappl_pr_driver_data_t& data, ipp_t* attributes);
// Gives a Paperang render the seed of the job's printer. A value that does
// not parse leaves the default seed, with a warning in the job's log.
void ApplyPaperangSeed(pappl_job_t* job, CBaseRender& render);
// The printer's seed, or the default when its value does not parse.
uint32_t PrinterPaperangSeed(pappl_printer_t* printer);
