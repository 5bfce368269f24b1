#include "win32_shell.h"

#include <windows.h>

#include <oleauto.h>

#include "com_ptr.h"
#include "encoding.h"
#include "win32_com.h"

namespace qv::win32 {
namespace {

HRESULT put_text(IDispatch* object, const wchar_t* property, const std::string& value) {
    Variant v;
    v.set_text(value);
    return invoke(object, property, DISPATCH_PROPERTYPUT, {&v.v}, nullptr);
}

class Win32Shell : public os::Shell {
public:
    bool save_shortcut(const std::string& link_path, const os::ShortcutProperties& link) override {
        // COM for the length of this call; a thread that already has it keeps it.
        ComApartment com;
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(L"WScript.Shell", &clsid))) return false;
        ComPtr<IDispatch> shell;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IDispatch, shell.put_void())))
            return false;

        Variant path;
        path.set_text(link_path);
        Variant created;
        HRESULT hr = invoke(shell.get(), L"CreateShortcut", DISPATCH_METHOD, {&path.v}, &created.v);
        if (FAILED(hr) || created.v.vt != VT_DISPATCH || created.v.pdispVal == nullptr)
            return false;
        IDispatch* shortcut = created.v.pdispVal;

        if (FAILED(put_text(shortcut, L"TargetPath", link.target_path))) return false;
        // The remaining properties are best effort: some systems refuse an empty hot key.
        put_text(shortcut, L"WorkingDirectory", link.working_directory);
        put_text(shortcut, L"IconLocation", link.icon_location);
        Variant style;
        style.v.vt = VT_I4;
        style.v.lVal = link.window_style;
        invoke(shortcut, L"WindowStyle", DISPATCH_PROPERTYPUT, {&style.v}, nullptr);
        put_text(shortcut, L"Description", link.description);
        put_text(shortcut, L"Arguments", link.arguments);
        put_text(shortcut, L"Hotkey", link.hotkey);
        // A link that was not saved is not reported as made.
        return SUCCEEDED(invoke(shortcut, L"Save", DISPATCH_METHOD, {}, nullptr));
    }
};

}  // namespace

os::Shell& win32_shell() {
    static Win32Shell shell;
    return shell;
}

}  // namespace qv::win32
