#include "encoding.h"

#include <windows.h>

namespace qv::win32 {

std::wstring widen(const std::string& gbk) {
    if (gbk.empty()) return {};
    int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), n);
    return wide;
}

std::string narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string gbk(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), gbk.data(), n, nullptr,
                        nullptr);
    return gbk;
}

std::string narrow(const wchar_t* wide) {
    return wide == nullptr ? std::string() : narrow(std::wstring(wide));
}

}  // namespace qv::win32
