// The debugger-gated module. Its start routine runs once at start-up, before the main window is
// made, and does nothing unless a debugger is attached to the process. Under a debugger it raises
// the program's priority, adds two entries to the system menu of the program's first visible
// window (with a window procedure of its own in front of that window's) and looks on a web page
// for a newer version of itself. Nothing else in the program calls it or reads what it stores.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os_api_module.h"

namespace qv {

// The module's own values; its two threads write them and nothing reads them.
extern std::string g_api_module_version;
extern std::uintptr_t g_api_module_old_wndproc;
extern std::uint32_t g_api_module_state;  // the id of its update thread
extern std::string g_api_update_field1;   // the newest version
extern std::string g_api_update_field2;   // its release date
extern std::string g_api_update_field3;   // its file size
extern std::string g_api_update_field4;   // its download address
extern std::string g_api_update_field5;   // unused by the page read here
extern bool g_api_update_flag;            // a version other than this one was found

// The start routine.
void api_module_init();
void reset_api_module_state();

// The priority class for a kind: 1 above normal, 2 real-time, 3 normal, 4 below normal, 5 idle;
// 0 and anything else high.
std::uint32_t api_priority_class(int kind);
bool api_set_process_priority(int kind = 0);
bool api_set_thread_priority(int level);
// The thread's id when it is wanted, else 0; 0 as well when it could not be started.
std::uint32_t api_start_thread(os::ThreadRoutine routine, void* argument, bool id_wanted);
std::uintptr_t api_find_process_window(std::uint32_t process_id);
// Opens a web address (http or https only, so no text can start a program); false otherwise.
bool api_open_url(const std::string& address);
// A box on the program's window; the caption "信息：" when none is given.
int api_message_box(const std::string& text, int style, const std::string& caption = {});
// The page's bytes, read 1000 at a time with the thread's messages processed between reads;
// empty when the address is not a web address or cannot be opened.
std::string api_download_text(const std::string& address);
std::string api_utf8_to_ansi(const std::string& utf8);
std::string api_text_between(const std::string& text, const std::string& left,
                             const std::string& right);

// A web address in the form the download opens: blanks around it dropped, "\" as "/", scheme and
// host in lower case, "." and ".." path segments resolved, blanks in the path escaped as "%20".
// Empty for anything but an http or https address with a host, and for control characters.
std::string api_canonical_url(const std::string& address);

// The update page's four values, each the text after its marker up to the next "<".
struct ApiUpdateInfo {
    std::string version;
    std::string date;
    std::string size;
    std::string address;
};
ApiUpdateInfo api_parse_update_page(const std::string& page);
// A version was found and it is not this one (case ignored). A page without one tells nothing.
bool api_other_version_found(const std::string& found, const std::string& own);

// What the module's window procedure does with a message before passing it on.
enum class ApiWindowAction { None, OpenContact, ShowTerms, ForwardAsSystemCommand, EndProgram };
ApiWindowAction api_window_action(unsigned message, std::uintptr_t wparam);
void api_on_window_message(std::uintptr_t window, unsigned message, std::uintptr_t wparam);

// The two threads.
void api_window_thread(void* argument);
void api_update_thread(void* argument);

// The module's fixed texts.
extern const char* const kApiModuleAuthorEntry;
extern const char* const kApiModuleTermsEntry;
extern const char* const kApiModuleContactAddress;
extern const char* const kApiModuleProbeAddress;
extern const char* const kApiModuleUpdatePage;

}  // namespace qv
