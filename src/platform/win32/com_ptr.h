// Owners of COM objects, strings and variants, and of a thread's COM initialisation: each
// releases what it holds when it goes out of scope.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

#include "encoding.h"

namespace qv::win32 {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // The address to receive a new object; whatever was held is released first.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_ != nullptr) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const std::wstring& text)
        : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(s_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return s_; }

private:
    BSTR s_;
};

// Owns one VARIANT's contents.
class Variant {
public:
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    // A BSTR made from a code-page-936 text, in place of what was held.
    void set_text(const std::string& text) {
        VariantClear(&v);
        std::wstring wide = widen(text);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
};

// One COM initialisation of the calling thread as an apartment, undone once when it succeeded
// (S_OK or S_FALSE); a thread already in the other mode keeps it and is not uninitialised.
class ComApartment {
public:
    ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

}  // namespace qv::win32
