#pragma once

#include "app/documents/GrayImage.h"

// How a document page is sized onto the label, as IPP's print-scaling
// names it.
enum class Scaling { Auto, AutoFit, Fit, Fill, None };

// The medium a page is printed on, in dots of the printer.
struct PlacementMedium {
    int width = 0;   // the label's or the roll's width
    int length = 0;  // the label's length; on a roll, the longest page
    int left = 0, right = 0, top = 0, bottom = 0;  // unprintable margins
    // Dots at the label's edges the head does not reach (0 where it prints
    // to the edge): a page printed 1:1 loses them.
    int cutLeft = 0, cutRight = 0, cutTop = 0, cutBottom = 0;
    double xdpi = 203, ydpi = 203;
    bool roll = false;  // pages are as long as their content
};

// What is placed: the document page's size in inches, how it is scaled
// and turned (quarter turns counter-clockwise; -1 lets the size decide).
struct PlacementRequest {
    double widthIn = 0;
    double heightIn = 0;
    Scaling scaling = Scaling::Auto;
    int turns = -1;
    // The document is content found on a page: fitted, turned if larger so,
    // and printed dot for dot when it is about the label's size.
    bool fitContent = false;
    // A label-sized document holds ink where the head does not reach: it is
    // fitted to the printed area rather than placed 1:1.
    bool edgesInked = false;
};

// The printed page, and where the turned document lands on it (the part
// outside the page is cut off).
struct Placement {
    int turns = 0;
    int pageWidth = 0;
    int pageLength = 0;
    PixelRect document;
    double scale = 1;  // document inches to printed inches
    // A label placed 1:1 as made for it where the scaling would fit it: to
    // be fitted instead (edgesInked) when it holds ink the head cannot print.
    bool fitsIfInked = false;
};

Placement PlacePage(const PlacementRequest& request, const PlacementMedium& medium);

// The part of the printed page the head prints.
PixelRect HeadArea(const PlacementMedium& medium);

// Whether an image of this many pixels is the medium's size in dots (give
// or take a few per cent), upright or turned: such an image is printed dot
// for dot whatever resolution its file states.
bool MadeForMedium(int width, int height, const PlacementMedium& medium);
