// A printer on Wine's PostScript driver whose port is a file: every job
// sent to it lands in that file, with no dialog. The project's Wine prefix
// gets one ("Zorvo PostScript"), and the print tests add their own.
#pragma once

#include <string>

namespace zorvo {

// Installs the PostScript driver (with a small PPD of Letter and A4 paper
// and the standard resident fonts) when missing, then the printer `name`
// writing to `port` (a Windows path), or moves an existing one to `port`.
// Text in Courier New, Arial or Times New Roman is printed in the resident
// Courier, Helvetica or Times. Returns 0, or the system error code of the
// step that failed; `step` names it.
unsigned long AddFilePrinter(const std::wstring& name, const std::wstring& port,
                             std::wstring* step = nullptr);

// Makes `name` the default printer; false when the system refuses.
bool MakeDefaultPrinter(const std::wstring& name);

}  // namespace zorvo
