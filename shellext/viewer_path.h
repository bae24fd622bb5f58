// How the stored location of the viewer becomes the command line that
// starts it.
#pragma once

#include <string>

#include "common/shared_names.h"

namespace zorvo {

// The program name of the viewer, in the lower case the stored path is
// compared in.
inline constexpr wchar_t kViewerProgramName[] = L"zorvo.exe";
static_assert(SameNameIgnoringCase(kViewerProgramName, kViewerProgram));

// Cuts an already lower-cased path right after the first "zorvo.exe" it
// holds, so that another program's stored command line ("c:\x\zorvo.exe -p")
// becomes a program path. A path without that name stays as it is.
void CutAfterViewerName(std::wstring& path);

// The command line that starts the viewer serving DDE from its start: the
// path (the default name when empty) and the switch -D. A path with blanks
// is quoted, so that the system cannot take its first word for a program of
// its own ("C:\Program Files\..." would otherwise run C:\Program.exe when
// there is one); a bare name is left to the search path. Quotes already in
// the path (the remains of a stored command line) are dropped first: no file
// name holds one.
std::wstring ViewerCommandLine(const std::wstring& path);

}  // namespace zorvo
