#pragma once

#include <pappl/pappl.h>

#include <map>
#include <string>

struct DriverInfo;

// The choices of a job for every print option its printer's language has,
// keyed by PPD keyword: the language's defaults, then the printer's defaults,
// then what the job asked for, from standard IPP attributes and vendor
// attributes alike.
std::map<std::string, std::string> JobChoices(const DriverInfo& driver, pappl_job_t* job,
                                              const pappl_pr_options_t& options);

// A vendor attribute's value for the job: the job's own, else the printer's
// default; empty when neither is set.
std::string JobVendorValue(pappl_job_t* job, const pappl_pr_options_t& options, const char* name);
