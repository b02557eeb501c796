#pragma once

#include <string>
#include <vector>

// A PickOne option of a test PPD; the first choice is the default unless
// defaultChoice is set.
struct PpdOption {
    std::string keyword;
    std::vector<std::string> choices;
    std::string defaultChoice;
};

// Writes a small PPD with the model number and options; returns its path.
// Pass withModelName=false to leave out the ModelName attribute.
std::string WritePpd(int modelNumber, const std::vector<PpdOption>& options = {},
                     bool withModelName = true, const std::string& extraLines = "");
