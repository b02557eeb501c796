#pragma once

// The PDF renderer: this program started anew by the server (see
// PdfProcess) to read one PDF file with poppler and draw the pages the
// server asks for, so that poppler runs neither in the threaded server nor
// in a forked copy of it. It dies with the server.

// Whether the command line is the renderer's.
bool IsPdfRendererCall(int argc, char* argv[]);
// Serves the server's requests until it closes the socket; the exit status.
int RunPdfRenderer(int argc, char* argv[]);
