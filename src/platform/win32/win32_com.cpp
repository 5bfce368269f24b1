#include "win32_com.h"

#include <windows.h>

#include <oleauto.h>

#include <cstring>
#include <utility>
#include <vector>

#include "com_ptr.h"
#include "encoding.h"

namespace qv::win32 {
namespace {

std::string text_of(const VARIANT& v) {
    if (v.vt != VT_BSTR || v.bstrVal == nullptr) return {};
    return narrow(std::wstring(v.bstrVal, SysStringLen(v.bstrVal)));
}

HRESULT get(IDispatch* object, const wchar_t* name, Variant& result) {
    return invoke(object, name, DISPATCH_PROPERTYGET, {}, &result.v);
}

bool get_dispatch(IDispatch* object, const wchar_t* name, std::vector<VARIANT*> args,
                  ComPtr<IDispatch>& out) {
    Variant result;
    HRESULT hr =
        invoke(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), &result.v);
    if (FAILED(hr) || result.v.vt != VT_DISPATCH || result.v.pdispVal == nullptr) return false;
    result.v.pdispVal->AddRef();
    *out.put() = result.v.pdispVal;
    return true;
}

int get_int(IDispatch* object, const wchar_t* name) {
    Variant result;
    if (FAILED(get(object, name, result))) return -1;
    if (FAILED(VariantChangeType(&result.v, &result.v, 0, VT_I4))) return -1;
    return static_cast<int>(result.v.lVal);
}

// The item at index (from 0) of a collection.
bool item_of(IDispatch* collection, int index, ComPtr<IDispatch>& out) {
    Variant arg;
    arg.v.vt = VT_I4;
    arg.v.lVal = index;
    return get_dispatch(collection, L"Item", {&arg.v}, out);
}

class Win32RegExp : public os::RegExpObject {
public:
    explicit Win32RegExp(IDispatch* object) { *object_.put() = object; }

    void set_ignore_case(bool on) override { put_bool(L"IgnoreCase", on); }
    void set_multiline(bool on) override { put_bool(L"Multiline", on); }
    void set_global(bool on) override { put_bool(L"Global", on); }
    void set_pattern(const std::string& pattern) override {
        Variant arg;
        arg.set_text(pattern);
        invoke(object_.get(), L"Pattern", DISPATCH_PROPERTYPUT, {&arg.v}, nullptr);
    }
    std::string pattern() override {
        Variant result;
        return FAILED(get(object_.get(), L"Pattern", result)) ? std::string() : text_of(result.v);
    }

    bool execute(const std::string& subject, std::vector<os::RegexMatchData>& matches) override {
        matches.clear();
        Variant arg;
        arg.set_text(subject);
        ComPtr<IDispatch> collection;
        if (!get_dispatch(object_.get(), L"Execute", {&arg.v}, collection)) return false;
        int count = get_int(collection.get(), L"Count");
        for (int i = 0; i < count; ++i) {
            ComPtr<IDispatch> match;
            if (!item_of(collection.get(), i, match)) return false;
            os::RegexMatchData data;
            Variant value;
            get(match.get(), L"Value", value);
            data.value = text_of(value.v);
            data.first_index = get_int(match.get(), L"FirstIndex");
            ComPtr<IDispatch> subs;
            if (get_dispatch(match.get(), L"SubMatches", {}, subs)) {
                int n = get_int(subs.get(), L"Count");
                for (int j = 0; j < n; ++j) {
                    Variant index, sub;
                    index.v.vt = VT_I4;
                    index.v.lVal = j;
                    invoke(subs.get(), L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {&index.v},
                           &sub.v);
                    data.submatches.push_back(text_of(sub.v));
                }
            }
            matches.push_back(std::move(data));
        }
        return true;
    }

    bool replace(const std::string& subject, const std::string& replacement,
                 std::string& result) override {
        Variant s, r, out;
        s.set_text(subject);
        r.set_text(replacement);
        if (FAILED(invoke(object_.get(), L"Replace", DISPATCH_METHOD, {&s.v, &r.v}, &out.v)))
            return false;
        result = text_of(out.v);
        return true;
    }

private:
    void put_bool(const wchar_t* name, bool on) {
        Variant arg;
        arg.v.vt = VT_BOOL;
        arg.v.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
        invoke(object_.get(), name, DISPATCH_PROPERTYPUT, {&arg.v}, nullptr);
    }

    ComPtr<IDispatch> object_;
};

}  // namespace

HRESULT invoke(IDispatch* object, const wchar_t* name, WORD kind, std::vector<VARIANT*> args,
               VARIANT* result) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(**it);
    DISPPARAMS params{};
    params.cArgs = static_cast<UINT>(reversed.size());
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    DISPID put_id = DISPID_PROPERTYPUT;
    if (kind == DISPATCH_PROPERTYPUT) {
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &put_id;
    }
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, nullptr,
                          nullptr);
}

bool Win32Com::initialize() {
    HRESULT hr = CoInitialize(nullptr);
    return hr == S_OK || hr == S_FALSE;
}

void Win32Com::uninitialize() {
    CoUninitialize();
}

std::unique_ptr<os::RegExpObject> Win32Com::create_regexp() {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"VBScript.RegExp", &clsid))) return nullptr;
    IDispatch* object = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&object))) ||
        object == nullptr) {
        return nullptr;
    }
    return std::make_unique<Win32RegExp>(object);
}

std::string Win32TextCodec::text_to_wide_bytes(const std::string& text, bool cut_terminator) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    std::string bytes(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    if (!cut_terminator) bytes.append(2, '\0');
    return bytes;
}

std::string Win32TextCodec::wide_bytes_to_text(const std::string& wide_bytes) {
    std::wstring wide(wide_bytes.size() / 2, L'\0');
    if (!wide.empty()) std::memcpy(wide.data(), wide_bytes.data(), wide.size() * 2);
    if (wide.empty()) return {};
    int units = static_cast<int>(wide.size());
    int n = WideCharToMultiByte(936, WC_COMPOSITECHECK, wide.data(), units, nullptr, 0, nullptr,
                                nullptr);
    if (n <= 0) return {};
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(936, WC_COMPOSITECHECK, wide.data(), units, text.data(), n, nullptr,
                        nullptr);
    std::size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

int Win32BinaryTypes::binary_type(const std::string& path) {
    DWORD type = 0;
    if (!GetBinaryTypeW(widen(path).c_str(), &type)) return -1;
    return static_cast<int>(type);
}

}  // namespace qv::win32
