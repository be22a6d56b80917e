#include "win/automation.h"

#include <utility>

#include "win/win_util.h"

namespace pavlune {

namespace {

// The functions of OLE32 and OLEAUT32 the program uses; all or none.
struct Ole {
    decltype(&::CoInitialize) Initialize = nullptr;
    decltype(&::CoUninitialize) Uninitialize = nullptr;
    decltype(&::CoCreateInstance) CreateInstance = nullptr;
    decltype(&::SysAllocString) AllocString = nullptr;
    decltype(&::VariantClear) Clear = nullptr;
    decltype(&::VariantChangeType) ChangeType = nullptr;

    static const Ole* Get() {
        static const Ole functions = Load();
        return functions.ChangeType ? &functions : nullptr;
    }

private:
    static Ole Load() {
        Ole loaded;
        HMODULE com = LoadSystemLibrary("OLE32.DLL");
        HMODULE automation = LoadSystemLibrary("OLEAUT32.DLL");
        loaded.Initialize = ProcAddress<decltype(Initialize)>(com, "CoInitialize");
        loaded.Uninitialize = ProcAddress<decltype(Uninitialize)>(com, "CoUninitialize");
        loaded.CreateInstance = ProcAddress<decltype(CreateInstance)>(com, "CoCreateInstance");
        loaded.AllocString = ProcAddress<decltype(AllocString)>(automation, "SysAllocString");
        loaded.Clear = ProcAddress<decltype(Clear)>(automation, "VariantClear");
        loaded.ChangeType = ProcAddress<decltype(ChangeType)>(automation, "VariantChangeType");
        if (!loaded.Initialize || !loaded.Uninitialize || !loaded.CreateInstance || !loaded.AllocString ||
            !loaded.Clear) {
            loaded.ChangeType = nullptr;
        }
        return loaded;
    }
};

// Clears what the call was given, whatever became of the call.
struct Arguments {
    std::vector<VARIANT>& values;
    ~Arguments() {
        for (VARIANT& value : values) ClearVariant(value);
    }
};

}  // namespace

void ClearVariant(VARIANT& value) {
    if (const Ole* ole = Ole::Get()) ole->Clear(&value);
    else value.vt = VT_EMPTY;
}

VARIANT LongArgument(long value) {
    VARIANT argument{};
    argument.vt = VT_I4;
    argument.lVal = value;
    return argument;
}

VARIANT TextArgument(const std::wstring& text) {
    VARIANT argument{};
    const Ole* ole = Ole::Get();
    argument.bstrVal = ole ? ole->AllocString(text.c_str()) : nullptr;
    argument.vt = argument.bstrVal ? VT_BSTR : VT_EMPTY;
    return argument;
}

ComApartment::ComApartment() {
    const Ole* ole = Ole::Get();
    // S_FALSE: the thread had COM already, and one more uninitialize is owed.
    ready_ = ole && SUCCEEDED(ole->Initialize(nullptr));
}

ComApartment::~ComApartment() {
    if (ready_) Ole::Get()->Uninitialize();
}

Automation& Automation::operator=(Automation&& other) noexcept {
    std::swap(object_, other.object_);
    return *this;
}

Automation::~Automation() {
    if (object_) object_->Release();
}

Automation Automation::Create(const CLSID& id) {
    const Ole* ole = Ole::Get();
    void* object = nullptr;
    if (!ole || FAILED(ole->CreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IDispatch), &object))) {
        return Automation();
    }
    return Automation(static_cast<IDispatch*>(object));
}

HRESULT Automation::Invoke(const wchar_t* name, WORD flags, std::vector<VARIANT>& arguments, VARIANT* result) const {
    Arguments owned{arguments};
    if (!object_) return E_POINTER;
    DISPID id = DISPID_NEWENUM;
    if (name) {
        auto* names = const_cast<LPOLESTR>(name);
        if (HRESULT found = object_->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id); FAILED(found)) {
            return found;
        }
    }
    // IDispatch takes the arguments last first.
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &putId;
        parameters.cNamedArgs = 1;
    }
    if (result) *result = VARIANT{};
    return object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, nullptr, nullptr);
}

bool Automation::Read(const wchar_t* name, std::vector<VARIANT> arguments, VARTYPE type, VARIANT& value) const {
    const Ole* ole = Ole::Get();
    if (!ole || FAILED(Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, arguments, &value))) return false;
    if (value.vt == VT_EMPTY || value.vt == VT_NULL) {
        value.vt = VT_EMPTY;
        if (type != VT_BSTR) return false;
        value = TextArgument(L"");
        return value.vt == VT_BSTR;
    }
    if (value.vt != type && FAILED(ole->ChangeType(&value, &value, 0, type))) {
        ClearVariant(value);
        return false;
    }
    return true;
}

std::optional<long> Automation::Long(const wchar_t* name, std::optional<long> argument) const {
    VARIANT value{};
    std::vector<VARIANT> arguments;
    if (argument) arguments.push_back(LongArgument(*argument));
    if (!Read(name, std::move(arguments), VT_I4, value)) return std::nullopt;
    return value.lVal;
}

std::optional<bool> Automation::Bool(const wchar_t* name, std::optional<long> argument) const {
    VARIANT value{};
    std::vector<VARIANT> arguments;
    if (argument) arguments.push_back(LongArgument(*argument));
    if (!Read(name, std::move(arguments), VT_BOOL, value)) return std::nullopt;
    return value.boolVal != VARIANT_FALSE;
}

std::optional<std::wstring> Automation::Text(const wchar_t* name, const wchar_t* argument) const {
    VARIANT value{};
    std::vector<VARIANT> arguments;
    if (argument) arguments.push_back(TextArgument(argument));
    if (!Read(name, std::move(arguments), VT_BSTR, value)) return std::nullopt;
    std::wstring text = value.bstrVal ? value.bstrVal : L"";
    ClearVariant(value);
    return text;
}

Automation Automation::Object(const wchar_t* name) const {
    VARIANT value{};
    if (!Read(name, {}, VT_DISPATCH, value)) return Automation();
    return Automation(std::exchange(value.pdispVal, nullptr));
}

std::optional<std::vector<Automation>> Automation::Items() const {
    VARIANT value{};
    if (!Read(nullptr, {}, VT_UNKNOWN, value) || !value.punkVal) return std::nullopt;
    IEnumVARIANT* items = nullptr;
    HRESULT found = value.punkVal->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&items));
    ClearVariant(value);
    if (FAILED(found) || !items) return std::nullopt;
    std::vector<Automation> objects;
    VARIANT item{};
    ULONG fetched = 0;
    bool whole = true;
    while (items->Next(1, &item, &fetched) == S_OK && fetched == 1) {
        if (item.vt == VT_DISPATCH && item.pdispVal) objects.emplace_back(std::exchange(item.pdispVal, nullptr));
        else whole = false;
        ClearVariant(item);
    }
    items->Release();
    if (!whole) return std::nullopt;
    return objects;
}

bool Automation::Put(const wchar_t* name, long value) const {
    std::vector<VARIANT> arguments{LongArgument(value)};
    return SUCCEEDED(Invoke(name, DISPATCH_PROPERTYPUT, arguments, nullptr));
}

bool Automation::PutBool(const wchar_t* name, bool value) const {
    VARIANT argument{};
    argument.vt = VT_BOOL;
    argument.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    std::vector<VARIANT> arguments{argument};
    return SUCCEEDED(Invoke(name, DISPATCH_PROPERTYPUT, arguments, nullptr));
}

bool Automation::Put(const wchar_t* name, const std::wstring& value) const {
    std::vector<VARIANT> arguments{TextArgument(value)};
    return arguments[0].vt == VT_BSTR && SUCCEEDED(Invoke(name, DISPATCH_PROPERTYPUT, arguments, nullptr));
}

bool Automation::Call(const wchar_t* name, std::vector<VARIANT> arguments, VARIANT* result) const {
    VARIANT ignored{};
    bool done = SUCCEEDED(Invoke(name, DISPATCH_METHOD, arguments, result ? result : &ignored));
    if (!result) ClearVariant(ignored);
    return done;
}

VARIANT Automation::AsArgument() const {
    VARIANT argument{};
    if (object_) {
        object_->AddRef();
        argument.vt = VT_DISPATCH;
        argument.pdispVal = object_;
    }
    return argument;
}

}  // namespace pavlune
