// zorvo-printer: gives a Wine prefix the printer "Zorvo PostScript", which
// writes every job to one PostScript file.
//   zorvo-printer PORT [NAME]
// PORT is the Windows path of that file. The printer becomes the default
// one. Run again, it only moves the printer to a new PORT.
#include <windows.h>

#include <cstdio>
#include <string>

#include "file_printer.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || argc > 3) {
    std::fwprintf(stderr, L"usage: zorvo-printer PORT [NAME]\n");
    return 2;
  }
  const std::wstring name = argc > 2 ? argv[2] : L"Zorvo PostScript";
  std::wstring step;
  if (const unsigned long failed = zorvo::AddFilePrinter(name, argv[1], &step)) {
    std::fwprintf(stderr, L"zorvo-printer: %ls failed with error %lu\n", step.c_str(), failed);
    return 1;
  }
  if (!zorvo::MakeDefaultPrinter(name)) {
    std::fwprintf(stderr, L"zorvo-printer: cannot make \"%ls\" the default printer\n",
                  name.c_str());
    return 1;
  }
  return 0;
}
