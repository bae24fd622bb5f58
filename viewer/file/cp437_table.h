// Code page 437 <-> Windows-1252 conversion data, as the Windows OEM
// conversion functions produce it.
#pragma once

#include "viewer/file/code_tables.h"

namespace zorvo {

extern const CodeTable kOem437ToAnsi;  // OEM byte -> ANSI display byte
extern const CodeTable kAnsiToOem437;  // ANSI byte -> OEM byte

}  // namespace zorvo
