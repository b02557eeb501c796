#pragma once

#include <pappl/pappl.h>

// The printer creation callback: puts a check in front of PAPPL's Printing
// Defaults page (/<printer>/printing). PAPPL adds its own web pages after
// this callback and keeps the first page a path gets, so the check owns the
// path; it shows PAPPL's page and lets PAPPL store the form, except a form
// with a vendor setting outside its values, which comes back with the
// reason and stores nothing.
void AddDefaultsCheck(pappl_printer_t* printer, void* data);
