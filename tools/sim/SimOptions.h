#pragma once

#include <cstdint>
#include <string>

#include "tools/preview/StreamDecoder.h"

// The simulator's command line.
struct tagSimOptions {
    PreviewLanguage language = PreviewLanguage::Unknown;
    int port = -1;        // TCP port on 127.0.0.1; 0 picks a free one; -1: none
    std::string ptyLink;  // symlink to a pseudo-terminal's slave; empty: none
    std::string outDir;
    int64_t paperOutAfter = -1;  // pages printed before paper runs out; -1: never
    double paperOutFor = -1;     // seconds until paper is loaded again; -1: until SIGUSR1
    double coverOpen = 0;        // seconds the cover is open after start
    double headHot = 0;          // seconds the head is too hot after start (cat printers)
    bool batteryLow = false;     // the battery reports low (cat printers)
    int64_t bytesPerSecond = 0;  // read rate limit; 0: none
    int64_t stallAfter = -1;     // bytes read before it stops reading; -1: never
    bool noStatus = false;       // never answer status queries
    double answerDelay = 0;      // seconds between a status query and its answer
};

std::string SimUsage();

// Fills `options` from the arguments. Returns 0 to go on, -1 after --help,
// 2 after printing what is wrong and the usage to standard error.
int ParseSimOptions(int argc, char** argv, tagSimOptions& options);
