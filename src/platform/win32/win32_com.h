// COM objects and code-page crossings on Win32: "VBScript.RegExp" through IDispatch, code page
// 936 <-> UTF-16, and GetBinaryType.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <vector>

#include "platform/os_com.h"

namespace qv::win32 {

// Invokes a member of an automation object by name; the arguments are given in their written
// order. A property put passes its one argument as the named put argument.
HRESULT invoke(IDispatch* object, const wchar_t* name, WORD kind, std::vector<VARIANT*> args,
               VARIANT* result);

class Win32Com : public os::Com {
public:
    bool initialize() override;
    void uninitialize() override;
    std::unique_ptr<os::RegExpObject> create_regexp() override;
};

class Win32TextCodec : public os::TextCodec {
public:
    std::string text_to_wide_bytes(const std::string& text, bool cut_terminator) override;
    std::string wide_bytes_to_text(const std::string& wide_bytes) override;
};

class Win32BinaryTypes : public os::BinaryTypes {
public:
    int binary_type(const std::string& path) override;
};

}  // namespace qv::win32
