#pragma once

#include <string_view>

// Whether a job attribute is one the application uses: PAPPL's job
// template and description attributes and our vendor settings. Others are
// ignored, which the answer to the job says.
bool KnownJobAttribute(std::string_view name);
