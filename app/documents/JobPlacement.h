#pragma once

#include <pappl/pappl.h>

#include "app/documents/PagePlacement.h"

struct DriverInfo;

// The medium a job prints on, from its media-col and resolution (not from
// the page header, which a raster job's pages replace).
PlacementMedium JobMedium(const DriverInfo& driver, const pappl_pr_options_t& options);
// The job's print-scaling, orientation-requested and thermal-fit-content.
// The document's size is left for the caller.
PlacementRequest JobRequest(pappl_job_t* job, const pappl_pr_options_t& options);
