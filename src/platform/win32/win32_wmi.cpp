// Windows Management Instrumentation over COM: one connection per query, owned by the query
// object, which releases every interface and then its COM initialisation exactly once.
#include <windows.h>

#include <wbemidl.h>

#include <cstdint>
#include <vector>

#include "com_ptr.h"
#include "encoding.h"
#include "platform/os_wmi.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

const wchar_t* const kWbemLocatorClass = L"{4590f811-1d3a-11d0-891f-00aa004b2e24}";
const wchar_t* const kWbemLocatorInterface = L"{dc12a687-737f-11cf-884d-00aa004b2e24}";

class Win32WmiQuery : public os::WmiQuery {
public:
    ~Win32WmiQuery() override {
        current_.reset();
        locator_.reset();
        enumerator_.reset();
        services_.reset();
        // apartment_ ends last, after every interface is gone.
    }

    bool open(const std::string& name_space, const std::string& query, bool init_security) {
        if (!apartment_.usable()) return false;
        if (init_security) {
            // Set once per run by the caller; a second attempt would only be refused.
            CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                 RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
        }
        CLSID clsid{};
        IID iid{};
        if (FAILED(CLSIDFromString(kWbemLocatorClass, &clsid)) ||
            FAILED(IIDFromString(kWbemLocatorInterface, &iid))) {
            return false;
        }
        if (FAILED(
                CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, locator_.put_void())))
            return false;
        Bstr ns(widen(name_space));
        if (FAILED(locator_->ConnectServer(ns.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                           services_.put()))) {
            return false;
        }
        if (FAILED(CoSetProxyBlanket(services_.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                     RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                     EOAC_NONE))) {
            return false;
        }
        Bstr language(L"WQL");
        Bstr text(widen(query));
        return SUCCEEDED(services_->ExecQuery(language.get(), text.get(),
                                              WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY,
                                              nullptr, enumerator_.put()));
    }

    bool next() override {
        current_.reset();
        if (!enumerator_) return false;
        ULONG returned = 0;
        HRESULT hr =
            enumerator_->Next(static_cast<LONG>(WBEM_INFINITE), 1, current_.put(), &returned);
        if (hr != WBEM_S_NO_ERROR || returned != 1) {
            current_.reset();
            return false;
        }
        return true;
    }

    std::string text(const std::string& property) override {
        if (!current_) return {};
        VARIANT value;
        VariantInit(&value);
        std::string result;
        if (SUCCEEDED(current_->Get(widen(property).c_str(), 0, &value, nullptr, nullptr))) {
            if (value.vt == VT_BOOL) {
                result = value.boolVal != VARIANT_FALSE ? "1" : "0";
            } else if (value.vt != VT_NULL && value.vt != VT_EMPTY &&
                       SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR)) &&
                       value.bstrVal != nullptr) {
                // The text ends at its first zero, whatever length the string records.
                result = narrow(value.bstrVal);
            }
        }
        VariantClear(&value);
        return result;
    }

    std::vector<std::uint8_t> bytes(const std::string& property) override {
        std::vector<std::uint8_t> result;
        if (!current_) return result;
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(current_->Get(widen(property).c_str(), 0, &value, nullptr, nullptr)) &&
            (value.vt & VT_ARRAY) != 0 && value.parray != nullptr &&
            SafeArrayGetDim(value.parray) == 1) {
            result = array_low_bytes(value.parray);
        }
        VariantClear(&value);
        return result;
    }

private:
    // The elements of a one-dimensional array of integers, each by its lowest byte (WMI hands
    // a byte array out as bytes, but some providers widen the elements).
    static std::vector<std::uint8_t> array_low_bytes(SAFEARRAY* array) {
        std::vector<std::uint8_t> result;
        VARTYPE type = VT_EMPTY;
        LONG low = 0, high = -1;
        if (FAILED(SafeArrayGetVartype(array, &type)) ||
            FAILED(SafeArrayGetLBound(array, 1, &low)) ||
            FAILED(SafeArrayGetUBound(array, 1, &high))) {
            return result;
        }
        switch (type) {
            case VT_UI1:
            case VT_I1:
            case VT_UI2:
            case VT_I2:
            case VT_UI4:
            case VT_I4:
            case VT_UINT:
            case VT_INT:
                break;
            default:
                return result;
        }
        for (LONG i = low; i <= high; ++i) {
            std::uint64_t element = 0;
            if (FAILED(SafeArrayGetElement(array, &i, &element))) return {};
            result.push_back(static_cast<std::uint8_t>(element & 0xFF));
        }
        return result;
    }

    ComApartment apartment_;
    ComPtr<IWbemLocator> locator_;
    ComPtr<IWbemServices> services_;
    ComPtr<IEnumWbemClassObject> enumerator_;
    ComPtr<IWbemClassObject> current_;
};

class Win32Wmi : public os::Wmi {
public:
    std::unique_ptr<os::WmiQuery> connect(const std::string& name_space, const std::string& query,
                                          bool init_security) override {
        auto result = std::make_unique<Win32WmiQuery>();
        // On failure the object goes at once, with whatever the attempt had made.
        if (!result->open(name_space, query, init_security)) return nullptr;
        return result;
    }
};

}  // namespace

os::Wmi* win32_wmi() {
    static Win32Wmi wmi;
    return &wmi;
}

}  // namespace qv::win32
