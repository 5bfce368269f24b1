#include "win32_shell.h"

#include <windows.h>

#include <oleauto.h>

#include "encoding.h"

namespace qv::win32 {
namespace {

// COM for the calling thread for the length of one call; a thread that already has it keeps it.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

class Dispatch {
public:
    Dispatch() = default;
    explicit Dispatch(IDispatch* p) : p_(p) {}
    ~Dispatch() {
        if (p_ != nullptr) p_->Release();
    }
    Dispatch(const Dispatch&) = delete;
    Dispatch& operator=(const Dispatch&) = delete;
    IDispatch* get() const { return p_; }
    IDispatch** out() { return &p_; }

private:
    IDispatch* p_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    static void text(VARIANT& v, const std::string& gbk) {
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(widen(gbk).c_str());
    }
    VARIANT* get() { return &v_; }

private:
    VARIANT v_;
};

HRESULT invoke(IDispatch* object, const wchar_t* member, WORD flags, VARIANT* arg,
               VARIANT* result) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{arg, nullptr, arg != nullptr ? 1u : 0u, 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                          nullptr);
}

HRESULT put_text(IDispatch* object, const wchar_t* property, const std::string& value) {
    VARIANT v;
    Variant::text(v, value);
    HRESULT hr = invoke(object, property, DISPATCH_PROPERTYPUT, &v, nullptr);
    VariantClear(&v);
    return hr;
}

class Win32Shell : public os::Shell {
public:
    bool save_shortcut(const std::string& link_path, const os::ShortcutProperties& link) override {
        ComScope com;
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(L"WScript.Shell", &clsid))) return false;
        Dispatch shell;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IDispatch, reinterpret_cast<void**>(shell.out()))))
            return false;

        VARIANT path;
        Variant::text(path, link_path);
        Variant created;
        HRESULT hr = invoke(shell.get(), L"CreateShortcut", DISPATCH_METHOD, &path, created.get());
        VariantClear(&path);
        if (FAILED(hr) || created.get()->vt != VT_DISPATCH || created.get()->pdispVal == nullptr)
            return false;
        IDispatch* shortcut = created.get()->pdispVal;

        if (FAILED(put_text(shortcut, L"TargetPath", link.target_path))) return false;
        // The remaining properties are best effort: some systems refuse an empty hot key.
        put_text(shortcut, L"WorkingDirectory", link.working_directory);
        put_text(shortcut, L"IconLocation", link.icon_location);
        VARIANT style;
        VariantInit(&style);
        style.vt = VT_I4;
        style.lVal = link.window_style;
        invoke(shortcut, L"WindowStyle", DISPATCH_PROPERTYPUT, &style, nullptr);
        put_text(shortcut, L"Description", link.description);
        put_text(shortcut, L"Arguments", link.arguments);
        put_text(shortcut, L"Hotkey", link.hotkey);
        // A link that was not saved is not reported as made.
        return SUCCEEDED(invoke(shortcut, L"Save", DISPATCH_METHOD, nullptr, nullptr));
    }
};

}  // namespace

os::Shell& win32_shell() {
    static Win32Shell shell;
    return shell;
}

}  // namespace qv::win32
