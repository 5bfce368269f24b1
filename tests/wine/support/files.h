// Files, folders, the environment and text conversions for the Wine tests: the build folder
// (C:\qv), the stand-in tools built into it, scratch folders of each test's own below it.
#pragma once

#include <windows.h>

#include <string>

#include "encoding.h"

namespace qv::wine_support {

// The folder of the test program (the build folder), without a trailing backslash.
std::wstring build_folder();
// A stand-in tool or file of the build: build\standin\<file>.
std::wstring standin(const std::wstring& file);
// Empties and makes build\wine-scratch\<name>; the folder, without a trailing backslash.
std::wstring scratch_folder(const std::wstring& name);
// The same for a folder of the running test's own, <prefix>_<test name>: ctest runs the tests of
// one fixture side by side.
std::wstring test_scratch_folder(const std::wstring& prefix);
// Removes the folder with everything in it; nothing when it is not there.
void remove_folder(const std::wstring& folder);
// Makes every folder on the way to the file (the file itself is left alone).
void make_folders_to(const std::wstring& file);

bool exists(const std::wstring& path);
// The whole file; empty when it cannot be read. Other writers may have it open.
std::string read_all(const std::wstring& path);
// Replaces the file with these bytes; with a size above zero the file is then extended (sparse)
// or cut to that size.
bool write_all(const std::wstring& path, const std::string& bytes, LONGLONG size = -1);

// True inside Wine (its ntdll carries an entry of its own): tests that place files where a real
// system keeps its own ask this first.
bool under_wine();

// An empty value removes the variable.
void set_env(const wchar_t* name, const std::wstring& value);
std::wstring get_env(const wchar_t* name);

std::string utf8(const std::wstring& text);
// UTF-8 (the logs' text) to the program's GBK.
std::string gbk_from_utf8(const std::string& utf8_text);
int count_of(const std::string& text, const std::string& sought);

}  // namespace qv::wine_support
