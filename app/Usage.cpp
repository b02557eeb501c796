#include "app/Usage.h"

#include <cstdio>

void ShowUsage(void*) {
    std::fputs(
        "Usage: thermal-printer-app SUB-COMMAND [OPTIONS] [FILENAME]\n"
        "       thermal-printer-app [OPTIONS] [FILENAME]\n"
        "       thermal-printer-app [OPTIONS] -\n"
        "\n"
        "Sub-commands:\n"
        "  add PRINTER      Add a printer.\n"
        "  autoadd          Add the USB printers it finds that a driver fits.\n"
        "  calibrate        Make a label printer measure its labels (gap or black mark).\n"
        "  cancel           Cancel one or more jobs.\n"
        "  default          Set the default printer.\n"
        "  delete           Delete a printer.\n"
        "  devices          List devices.\n"
        "  drivers          List drivers.\n"
        "  jobs             List jobs.\n"
        "  modify           Modify a printer.\n"
        "  options          List printer options.\n"
        "  pause            Pause printing for a printer.\n"
        "  printers         List printers.\n"
        "  resume           Resume printing for a printer.\n"
        "  server           Run a server.\n"
        "  shutdown         Shutdown a running server.\n"
        "  status           Show server/printer/job status.\n"
        "  submit           Submit a file for printing.\n"
        "\n"
        "Every sub-command but server needs a running server: start it first with\n"
        "\"thermal-printer-app server\" (or the service).\n"
        "\n"
        "Options:\n"
        "  -a               Cancel all jobs (cancel).\n"
        "  -d PRINTER       Specify printer.\n"
        "  -j JOB-ID        Specify job ID (cancel, status).\n"
        "  -m DRIVER-NAME   Specify driver (add/modify).\n"
        "  -n COPIES        Specify number of copies (submit).\n"
        "  -o NAME=VALUE    Specify option (add,modify,server,submit).\n"
        "  -u URI           Specify ipp: or ipps: printer/server.\n"
        "  -v DEVICE-URI    Specify socket:, usb:, serial:, ble: or file: device (add/modify).\n",
        stdout);
}
