#include "printers/PrinterConditions.h"

#include <cctype>

std::string PrinterConditions::Message() const {
    if (!answered) return "No answer from the printer.";
    const struct {
        bool set;
        const char* words;
    } phrases[] = {
        {mediaEmpty, "out of paper"},
        {mediaLow, "paper nearly out"},
        {coverOpen, "cover or print head open"},
        {mediaJam, "paper jam"},
        {ribbonOut, "ribbon out"},
        {offline, "offline or paused"},
        {overheated, "print head too hot"},
        {otherError, "printer error"},
        {batteryLow, "battery low"},
        {mediaNeeded, "other media needed"},
    };
    std::string text;
    for (const auto& p : phrases) {
        if (!p.set) continue;
        if (!text.empty()) text += ", ";
        text += p.words;
    }
    if (text.empty()) return "Ready.";
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}
