#pragma once
// The COM-style object model shared by the component, the host and the transfer engine: reference-counted
// interfaces, their smart pointer and the error a failing call throws. Header-only and free of Qt so the
// engine can use it.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <utility>

#include "platform/WinTypes.h"

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hexadecimal.
inline std::string GuidToString(const GUID& g) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                  g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                  g.Data4[7]);
    return buf;
}

// The error a failing engine call throws (the design's COM error object): carries the HRESULT.
class NIMBRA_EXPORT ComError : public std::exception {
public:
    explicit ComError(HRESULT hr, std::string description = {})
        : m_hr(hr), m_description(std::move(description)) {}
    HRESULT Error() const noexcept { return m_hr; }
    const std::string& Description() const noexcept { return m_description; }
    // The system's message text for the code, as a COM error object gives it.
    std::string ErrorMessage() const {
        const auto code = static_cast<uint32_t>(m_hr);
        if (code >= 0x80040200u && code <= 0x8004FFFFu) {
            return "IDispatch error #" + std::to_string(code - 0x80040200u);
        }
        switch (m_hr) {
            case S_OK:
                return "The operation completed successfully.";
            case E_NOTIMPL:
                return "Not implemented";
            case E_NOINTERFACE:
                return "No such interface supported";
            case E_POINTER:
                return "Invalid pointer";
            case E_ABORT:
                return "Operation aborted";
            case E_FAIL:
                return "Unspecified error";
            case E_UNEXPECTED:
                return "Catastrophic failure";
            case E_OUTOFMEMORY:
                return "Not enough memory resources are available to complete this operation.";
            case E_INVALIDARG:
                return "The parameter is incorrect.";
            case CLASS_E_CLASSNOTAVAILABLE:
                return "ClassFactory cannot supply requested class";
            case REGDB_E_CLASSNOTREG:
                return "Class not registered";
            default:
                break;
        }
        char buf[40];
        std::snprintf(buf, sizeof buf, "Unknown error 0x%0X", static_cast<uint32_t>(m_hr));
        return buf;
    }
    const char* what() const noexcept override { return "COM error"; }

private:
    HRESULT m_hr;
    std::string m_description;
};

// Throws ComError for a failing code; returns a succeeding one, as the engine's wrappers do.
inline HRESULT ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr)) {
        throw ComError(hr);
    }
    return hr;
}

// IID of IUnknown: {00000000-0000-0000-C000-000000000046}.
inline constexpr GUID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class NIMBRA_EXPORT IUnknown {
public:
    virtual HRESULT QueryInterface(const IID& iid, void** ppv) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

class NIMBRA_EXPORT IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** ppv) = 0;
    virtual HRESULT LockServer(bool lock) = 0;
};

// Signature of a library's class-object export.
using DllGetClassObjectFn = HRESULT (*)(const CLSID& clsid, const IID& iid, void** ppv);

// Owning smart pointer to a COM-style interface (the design's counted reference, _com_ptr_t).
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* p) {
        ComPtr r;
        r.m_p = p;
        return r;
    }
    // Adds a reference of its own.
    static ComPtr Share(T* p) {
        if (p) {
            p->AddRef();
        }
        return Attach(p);
    }
    ComPtr(const ComPtr& o) : m_p(o.m_p) {
        if (m_p) {
            m_p->AddRef();
        }
    }
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(m_p, o.m_p);
        return *this;
    }
    ~ComPtr() { Release(); }

    void Release() {
        if (T* p = std::exchange(m_p, nullptr)) {
            p->Release();
        }
    }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T* Detach() { return std::exchange(m_p, nullptr); }

    // Queries another interface of the same object; null when the object does not offer it.
    template <class U>
    ComPtr<U> As(const IID& iid) const {
        void* out = nullptr;
        if (m_p && SUCCEEDED(m_p->QueryInterface(iid, &out))) {
            return ComPtr<U>::Attach(static_cast<U*>(out));
        }
        return {};
    }

private:
    T* m_p = nullptr;
};

// Reference counting shared by the engine's objects: one count, delete at zero.
template <class Base>
class RefCounted : public Base {
public:
    uint32_t AddRef() override { return ++m_refs; }
    uint32_t Release() override {
        const uint32_t left = --m_refs;
        if (left == 0) {
            delete this;
        }
        return left;
    }

private:
    std::atomic<uint32_t> m_refs{1};
};
