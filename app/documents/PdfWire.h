#pragma once

#include <cstddef>
#include <cstdint>

#include "app/documents/GrayImage.h"

// What the server and its PDF renderer (see PdfRenderer) say to each other
// over a stream socket: one request, then its reply, in order. Both ends
// are the same program, so the structures go as they are.
namespace pdfwire {
// The renderer's end of the socket, as the renderer finds it.
constexpr int kRendererFd = 3;
// The hidden command line of the renderer: the program, this, the server's
// process id.
constexpr const char* kRendererArg = "--pdf-renderer";
// The longest file path an Open request carries.
constexpr uint32_t kMaxPath = 4096;

enum class Ask : int32_t { Open = 1, Draw = 2 };

struct Request {
    Ask ask = Ask::Open;
    int32_t page = 0;  // Draw: the page, at this resolution
    double xdpi = 0;
    double ydpi = 0;
    PixelRect region;      // Draw: only this part of it, when not empty
    int32_t maxPages = 0;  // Open: the limits (see PdfLimits)
    int32_t side = 0;
    uint64_t pixels = 0;
    int32_t pageSeconds = 0;  // Open: the time for a page (CPU time: twice that a page)
    uint32_t pathBytes = 0;   // Open: the file's path follows
};

struct Reply {
    int32_t ok = 0;
    int32_t count = 0;   // Open: the pages, whose sizes follow when ok; Draw: the width
    int32_t height = 0;  // Draw: width x height gray pixels follow when ok
    char why[256] = {};
};

// Blocking, whole or nothing: false at the end of the stream or on an error.
bool ReadAll(int fd, void* data, size_t bytes);
bool WriteAll(int fd, const void* data, size_t bytes);
}  // namespace pdfwire
