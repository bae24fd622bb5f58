// Where the running program lives: its settings file sits beside it.
#pragma once

#include <string>

namespace zorvo {

// The full path of the running program's file; empty when unknown.
std::wstring ProgramPath();
// The program's folder followed by `name`, cut after the last path
// separator of the program's path.
std::wstring BesideProgram(const std::wstring& name);

}  // namespace zorvo
