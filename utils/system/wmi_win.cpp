// WMI queries over COM. Every call opens and closes its own COM
// initialisation, locator, connection and enumeration; nothing is cached.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <wbemidl.h>

#include <string>
#include <vector>

#include "utils/system/hwinfo.h"

namespace Utils {

namespace {

// Releases a COM interface when the scope ends.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_p != nullptr) {
            m_p->Release();
        }
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    T** out() { return &m_p; }

  private:
    T* m_p = nullptr;
};

// Undoes a successful CoInitializeEx on every way out.
class ComScope {
  public:
    ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_hr)) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool ok() const { return SUCCEEDED(m_hr); }

  private:
    HRESULT m_hr;
};

// Appends the value of one instance's property: a string whole, an array of
// strings by its first element, anything else nothing.
void AppendValue(const VARIANT& value, std::vector<std::wstring>& values) {
    if (value.vt == VT_BSTR) {
        values.emplace_back(value.bstrVal, SysStringLen(value.bstrVal));
        return;
    }
    if (value.vt != (VT_ARRAY | VT_BSTR) || value.parray == nullptr) {
        return;
    }
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(value.parray, &data))) {
        return;
    }
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(value.parray, 1, &lower);
    SafeArrayGetUBound(value.parray, 1, &upper);
    if (upper >= lower) {
        const BSTR first = static_cast<BSTR*>(data)[0];
        values.emplace_back(first != nullptr ? std::wstring(first, SysStringLen(first))
                                             : std::wstring());
    }
    SafeArrayUnaccessData(value.parray);
}

}  // namespace

int GetWmiValue(const std::wstring& className, const std::wstring& property,
                const std::wstring& filter, std::vector<std::wstring>& values) {
    const ComScope com;
    if (!com.ok()) {
        return kWmiComInitFailed;
    }
    ComPtr<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator.out())))) {
        return kWmiLocatorFailed;
    }
    ComPtr<IWbemServices> services;
    BSTR wmiNamespace = SysAllocString(L"ROOT\\CIMV2");
    const HRESULT connected = locator->ConnectServer(wmiNamespace, nullptr, nullptr, nullptr, 0,
                                                     nullptr, nullptr, services.out());
    SysFreeString(wmiNamespace);
    if (FAILED(connected)) {
        return kWmiConnectFailed;
    }
    if (FAILED(CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                 EOAC_NONE))) {
        return kWmiBlanketFailed;
    }
    // An empty filter leaves a trailing blank, which WMI accepts.
    const std::wstring query = L"SELECT * FROM " + className + L" " + filter;
    BSTR language = SysAllocString(L"WQL");
    BSTR queryText = SysAllocString(query.c_str());
    ComPtr<IEnumWbemClassObject> enumerator;
    const HRESULT executed = services->ExecQuery(
        language, queryText, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
        enumerator.out());
    SysFreeString(queryText);
    SysFreeString(language);
    if (FAILED(executed)) {
        return kWmiQueryFailed;
    }
    for (;;) {
        IWbemClassObject* object = nullptr;
        ULONG returned = 0;
        enumerator->Next(static_cast<LONG>(WBEM_INFINITE), 1, &object, &returned);
        if (returned == 0 || object == nullptr) {
            break;
        }
        VARIANT value;
        VariantInit(&value);
        // Only the variant's type decides; the call's own result is not needed.
        object->Get(property.c_str(), 0, &value, nullptr, nullptr);
        AppendValue(value, values);
        VariantClear(&value);
        object->Release();
    }
    return kWmiOk;
}

}  // namespace Utils
