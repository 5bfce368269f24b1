// The handle table and the device eject of the safe removal. The native calls come from ntdll and
// the SetupAPI and configuration-manager calls from setupapi.dll, all looked up at run time: a
// trimmed PE may lack an entry, and a missing one is then an ordinary failure, not a program
// that cannot load.
#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "encoding.h"
#include "handles.h"
#include "platform/os_removal.h"
#include "win32_os.h"
#include "win32_removal.h"

namespace qv::win32 {
namespace {

constexpr std::uint32_t kStatusNotImplemented = 0xC0000002u;
constexpr std::uint32_t kStatusNoMemory = 0xC0000017u;
constexpr ULONG kSystemHandleInformation = 16;
constexpr ULONG kObjectNameInformation = 1;
constexpr DWORD kNameBufferBytes = 4096;

// The native records, laid out as a 32-bit process passes them.
struct ObjectAttributes {
    ULONG length;
    HANDLE root_directory;
    PVOID object_name;
    ULONG attributes;
    PVOID security_descriptor;
    PVOID security_quality_of_service;
};
struct ClientId {
    HANDLE process;
    HANDLE thread;
};
struct CountedName {
    USHORT length;
    USHORT maximum_length;
    PWSTR buffer;
};
static_assert(sizeof(void*) != 4 || sizeof(ObjectAttributes) == 24);
static_assert(sizeof(void*) != 4 || sizeof(CountedName) == 8);

using NtQuerySystemInformationFn = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
using NtQueryObjectFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using NtOpenProcessFn = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, ObjectAttributes*, ClientId*);
using NtDuplicateObjectFn = LONG(NTAPI*)(HANDLE, HANDLE, HANDLE, PHANDLE, ACCESS_MASK, ULONG,
                                         ULONG);
using NtCloseFn = LONG(NTAPI*)(HANDLE);

template <typename Fn>
Fn entry_of(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct NativeEntries {
    NtQuerySystemInformationFn query_system_information = nullptr;
    NtQueryObjectFn query_object = nullptr;
    NtOpenProcessFn open_process = nullptr;
    NtDuplicateObjectFn duplicate_object = nullptr;
    NtCloseFn close = nullptr;
};

const NativeEntries& native() {
    static const NativeEntries entries = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        NativeEntries e;
        e.query_system_information =
            entry_of<NtQuerySystemInformationFn>(ntdll, "NtQuerySystemInformation");
        e.query_object = entry_of<NtQueryObjectFn>(ntdll, "NtQueryObject");
        e.open_process = entry_of<NtOpenProcessFn>(ntdll, "NtOpenProcess");
        e.duplicate_object = entry_of<NtDuplicateObjectFn>(ntdll, "NtDuplicateObject");
        e.close = entry_of<NtCloseFn>(ntdll, "NtClose");
        return e;
    }();
    return entries;
}

HANDLE to_handle(std::uint32_t value) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value));
}

std::uint32_t to_value(HANDLE handle) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

std::uint32_t status_of(LONG status) {
    return static_cast<std::uint32_t>(status);
}

// One name query, run in a thread of its own: on a file object whose synchronous I/O is held by
// another thread the query waits for that I/O, and the caller must be able to give up.
struct NameQuery {
    HANDLE handle = nullptr;
    LONG status = -1;
    alignas(8) unsigned char buffer[kNameBufferBytes] = {};
};

DWORD WINAPI query_name(LPVOID parameter) {
    auto* query = static_cast<NameQuery*>(parameter);
    ULONG returned = 0;
    query->status = native().query_object(query->handle, kObjectNameInformation, query->buffer,
                                          kNameBufferBytes, &returned);
    return 0;
}

// The table in the layout of a 32-bit process, which the portable code reads: a 32-bit count,
// then 16-byte entries. A 64-bit build (the Wine tests' fallback where 32-bit Wine cannot run)
// gets 8 bytes of header and 24-byte entries, whose object address is cut to its low 32 bits.
std::string in_32_bit_layout(const std::string& table) {
    if (sizeof(void*) == 4 || table.size() < 8) return table;
    constexpr std::size_t kHeader = 8, kEntry = 24;
    std::uint32_t count = 0;
    std::memcpy(&count, table.data(), 4);
    std::size_t room = (table.size() - kHeader) / kEntry;
    if (count > room) count = static_cast<std::uint32_t>(room);
    std::string out(4 + std::size_t{count} * 16, '\0');
    std::memcpy(out.data(), &count, 4);
    for (std::size_t i = 0; i < count; ++i) {
        const char* from = table.data() + kHeader + i * kEntry;
        char* to = out.data() + 4 + i * 16;
        std::memcpy(to, from, 8);            // process, back trace, type, attributes, handle
        std::memcpy(to + 8, from + 8, 4);    // the object's low 32 bits
        std::memcpy(to + 12, from + 16, 4);  // granted access
    }
    return out;
}

class Win32HandleTable : public os::HandleTable {
public:
    std::uint32_t current_process_id() override { return GetCurrentProcessId(); }

    std::uint32_t open_null_probe() override {
        HANDLE probe = CreateFileW(L"NUL", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return probe == INVALID_HANDLE_VALUE ? 0 : to_value(probe);
    }

    std::uint32_t close(std::uint32_t handle) override {
        if (native().close == nullptr)
            return CloseHandle(to_handle(handle)) ? os::kStatusSuccess : kStatusNotImplemented;
        return status_of(native().close(to_handle(handle)));
    }

    std::uint32_t query_handle_table(std::uint32_t size, std::string& buffer) override {
        if (native().query_system_information == nullptr) return kStatusNotImplemented;
        try {
            std::string bytes(size, '\0');
            ULONG returned = 0;
            std::uint32_t status = status_of(native().query_system_information(
                kSystemHandleInformation, bytes.data(), size, &returned));
            if ((status & 0x80000000u) == 0) buffer = in_32_bit_layout(bytes);
            return status;
        } catch (const std::bad_alloc&) {
            return kStatusNoMemory;
        }
    }

    std::uint32_t open_process(std::uint32_t process_id) override {
        if (native().open_process == nullptr) return 0;
        ObjectAttributes attributes{};
        attributes.length = sizeof attributes;
        ClientId client{to_handle(process_id), nullptr};
        HANDLE process = nullptr;
        LONG status = native().open_process(&process, PROCESS_DUP_HANDLE, &attributes, &client);
        return status < 0 ? 0 : to_value(process);
    }

    std::uint32_t duplicate(std::uint32_t process, std::uint32_t handle, std::uint32_t options,
                            std::uint32_t& copy) override {
        if (native().duplicate_object == nullptr) return kStatusNotImplemented;
        HANDLE target = nullptr;
        LONG status = native().duplicate_object(to_handle(process), to_handle(handle),
                                                GetCurrentProcess(), &target, 0, 0, options);
        if (status >= 0) copy = to_value(target);
        return status_of(status);
    }

    int file_type_within(std::uint32_t handle, int timeout_ms) override {
        // GetFileType itself is the thread's routine: it takes one handle and returns a DWORD,
        // which becomes the thread's exit code.
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        auto routine = entry_of<LPTHREAD_START_ROUTINE>(kernel, "GetFileType");
        if (routine == nullptr) return 0;
        Handle thread(CreateRemoteThread(GetCurrentProcess(), nullptr, 0, routine,
                                         to_handle(handle), 0, nullptr));
        if (!thread.valid()) return 0;
        DWORD code = 0;
        if (WaitForSingleObject(thread.get(), static_cast<DWORD>(timeout_ms)) == WAIT_TIMEOUT) {
            GetExitCodeThread(thread.get(), &code);
            TerminateThread(thread.get(), code);
            return 0;
        }
        if (!GetExitCodeThread(thread.get(), &code)) return 0;
        return static_cast<int>(code);
    }

    bool object_name(std::uint32_t handle, int timeout_ms, std::string& name) override {
        if (native().query_object == nullptr) return false;
        auto query = std::make_unique<NameQuery>();
        query->handle = to_handle(handle);
        Handle thread(CreateThread(nullptr, 0, query_name, query.get(), 0, nullptr));
        if (!thread.valid()) return false;
        if (WaitForSingleObject(thread.get(), static_cast<DWORD>(timeout_ms)) == WAIT_TIMEOUT) {
            TerminateThread(thread.get(), 0);
            // A thread that does not go at once may still write into its record: the record
            // is then left to it rather than freed under it.
            if (WaitForSingleObject(thread.get(), 1000) != WAIT_OBJECT_0) query.release();
            return false;
        }
        if (query->status < 0) return false;
        // The text follows its counted header; its length is taken from the header and bounded
        // by the buffer, so a name that fills the buffer is never read past its end.
        const auto* counted = reinterpret_cast<const CountedName*>(query->buffer);
        const auto* text = reinterpret_cast<const wchar_t*>(query->buffer + sizeof(CountedName));
        std::size_t most = (kNameBufferBytes - sizeof(CountedName)) / sizeof(wchar_t);
        std::size_t length = counted->length / sizeof(wchar_t);
        if (length > most) length = most;
        std::wstring wide(text, length);
        name = narrow(wide.c_str());
        return true;
    }

    std::string dos_device(const std::string& drive) override {
        wchar_t target[280] = {};
        if (QueryDosDeviceW(widen(drive).c_str(), target, 280) == 0) return {};
        return narrow(target);
    }
};

// setupapi.dll stays loaded for the rest of the run once it was needed.
HMODULE setupapi() {
    static HMODULE module = [] {
        wchar_t folder[MAX_PATH] = {};
        UINT n = GetSystemDirectoryW(folder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return HMODULE{nullptr};
        return LoadLibraryW((std::wstring(folder, n) + L"\\setupapi.dll").c_str());
    }();
    return module;
}

using GetClassDevsFn = HDEVINFO(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);
using EnumInterfacesFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD,
                                       PSP_DEVICE_INTERFACE_DATA);
using GetInterfaceDetailFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                           PSP_DEVICE_INTERFACE_DETAIL_DATA_A, DWORD, PDWORD,
                                           PSP_DEVINFO_DATA);
using DestroyListFn = BOOL(WINAPI*)(HDEVINFO);
using GetParentFn = CONFIGRET(WINAPI*)(PDEVINST, DEVINST, ULONG);
using RequestEjectFn = CONFIGRET(WINAPI*)(DEVINST, PPNP_VETO_TYPE, LPWSTR, ULONG, ULONG);

const GUID kDiskInterface = {
    0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kCdromInterface = {
    0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kFloppyInterface = {
    0x53F56311, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

const GUID& guid_of(os::DeviceInterfaceClass interface_class) {
    switch (interface_class) {
        case os::DeviceInterfaceClass::Cdrom:
            return kCdromInterface;
        case os::DeviceInterfaceClass::Floppy:
            return kFloppyInterface;
        default:
            return kDiskInterface;
    }
}

// The interface detail as the ANSI call fills it: its size field, then the device path.
struct InterfaceDetail {
    DWORD size;
    char path[260];
};
static_assert(offsetof(InterfaceDetail, path) ==
              offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath));
// The size field holds the size of the system's fixed record (the field and one character) as this
// word size lays it out: packed to 5 bytes in a 32-bit process, padded to 8 in a 64-bit one. The
// call refuses any other value.
constexpr DWORD kInterfaceDetailSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
static_assert(kInterfaceDetailSize == (sizeof(void*) == 8 ? 8 : 5));

// The device number of a device path; false when it cannot be opened or does not answer. The
// device is opened without read or write access: only its number is asked.
bool device_number_of_path(const char* path, DWORD& number) {
    Handle device(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr));
    if (!device.valid()) return false;
    STORAGE_DEVICE_NUMBER answer{};
    DWORD returned = 0;
    if (!DeviceIoControl(device.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &answer,
                         sizeof answer, &returned, nullptr)) {
        return false;
    }
    number = answer.DeviceNumber;
    return true;
}

}  // namespace

bool read_interface_detail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interface_data,
                           std::string& path, std::uint32_t& instance) {
    auto get_detail =
        entry_of<GetInterfaceDetailFn>(setupapi(), "SetupDiGetDeviceInterfaceDetailA");
    if (get_detail == nullptr) return false;
    DWORD required = 0;
    get_detail(set, &interface_data, nullptr, 0, &required, nullptr);
    if (required < 1 || required > 1024 || required > sizeof(InterfaceDetail)) return false;
    InterfaceDetail detail{};
    detail.size = kInterfaceDetailSize;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    if (!get_detail(set, &interface_data,
                    reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(&detail), sizeof detail,
                    nullptr, &info)) {
        return false;
    }
    path.assign(detail.path, strnlen(detail.path, sizeof detail.path));
    instance = info.DevInst;
    return true;
}

namespace {

class Win32DeviceEjector : public os::DeviceEjector {
public:
    std::uint32_t find_device_instance(os::DeviceInterfaceClass interface_class,
                                       std::uint32_t device_number) override {
        auto get_class_devs = entry_of<GetClassDevsFn>(setupapi(), "SetupDiGetClassDevsA");
        auto enum_interfaces =
            entry_of<EnumInterfacesFn>(setupapi(), "SetupDiEnumDeviceInterfaces");
        auto destroy = entry_of<DestroyListFn>(setupapi(), "SetupDiDestroyDeviceInfoList");
        if (get_class_devs == nullptr || enum_interfaces == nullptr || destroy == nullptr) return 0;
        const GUID& guid = guid_of(interface_class);
        HDEVINFO set =
            get_class_devs(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
        if (set == INVALID_HANDLE_VALUE) return 0;
        std::uint32_t found = 0;
        for (DWORD index = 0; found == 0; ++index) {
            SP_DEVICE_INTERFACE_DATA interface_data{};
            interface_data.cbSize = sizeof interface_data;
            if (!enum_interfaces(set, nullptr, &guid, index, &interface_data)) break;
            std::string path;
            std::uint32_t instance = 0;
            if (!read_interface_detail(set, interface_data, path, instance)) continue;
            DWORD number = 0;
            if (device_number_of_path(path.c_str(), number) && number == device_number)
                found = instance;
        }
        destroy(set);
        return found;
    }

    bool parent_of(std::uint32_t instance, std::uint32_t& parent) override {
        auto get_parent = entry_of<GetParentFn>(setupapi(), "CM_Get_Parent");
        if (get_parent == nullptr) return false;
        DEVINST found = 0;
        if (get_parent(&found, instance, 0) != CR_SUCCESS) return false;
        parent = found;
        return true;
    }

    os::EjectAnswer request_eject(std::uint32_t instance, bool show_system_notice) override {
#ifdef QV_TEST_HOOKS
        // Builds with test hooks run under Wine on the build machine, as root: no device of that
        // machine may be asked to go, so every request counts as vetoed.
        (void)instance;
        (void)show_system_notice;
        return {CR_REMOVE_VETOED, static_cast<std::uint32_t>(PNP_VetoDevice)};
#else
        auto request = entry_of<RequestEjectFn>(setupapi(), "CM_Request_Device_EjectW");
        if (request == nullptr) return {CR_CALL_NOT_IMPLEMENTED, 0};
        os::EjectAnswer answer;
        if (show_system_notice) {
            // Only without both veto outputs does the system tell the user itself.
            answer.result = request(instance, nullptr, nullptr, 0, 0);
            return answer;
        }
        PNP_VETO_TYPE veto = PNP_VetoTypeUnknown;
        wchar_t veto_name[MAX_PATH] = {};
        answer.result = request(instance, &veto, veto_name, MAX_PATH, 0);
        answer.veto_type = static_cast<std::uint32_t>(veto);
        return answer;
#endif
    }
};

}  // namespace

os::HandleTable* win32_handle_table() {
    static Win32HandleTable table;
    return &table;
}

os::DeviceEjector* win32_device_ejector() {
    static Win32DeviceEjector ejector;
    return &ejector;
}

}  // namespace qv::win32
