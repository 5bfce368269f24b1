// Conversions at the Win32 boundary: the program's texts are code page 936, the calls are wide.
#pragma once

#include <string>

namespace qv::win32 {

std::wstring widen(const std::string& gbk);
std::string narrow(const std::wstring& wide);
std::string narrow(const wchar_t* wide);

}  // namespace qv::win32
