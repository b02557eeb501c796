#pragma once

#include <pappl/pappl.h>

#include <string>

class CStatusLink;
struct DriverInfo;

// The model the printer says it is, for languages whose print sequence
// depends on it (StatusExchange::model), asked at the start of a job. Empty
// when it is not asked, does not answer, names no model known, or one that
// is not among the driver's models (which the job then says in its log):
// the job prints as its driver's model.
std::string ReportedModel(pappl_job_t* job, CStatusLink& link, const DriverInfo& driver);
