// Windows' firewall for a test PC: its COM classes, for late binding, serving C:\e2e\firewall.txt and writing every
// change back. Line 1: CurrentProfileTypes FirewallEnabledBits ProductsCount; then a rule a line: kNames[0-7], TABbed.
#include <windows.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
const wchar_t* const kNames[] = {L"Name", L"ApplicationName", L"Enabled", L"Direction", L"Protocol", L"LocalPorts",
                                 L"Profiles", L"Action", L"CurrentProfileTypes", L"FirewallEnabled", L"Rules",
                                 L"Count", L"Add", L"_NewEnum"};
enum Kind { kPolicy, kRule, kProducts, kRules, kEnum };  // the first three: the classes, in kClasses' order
const wchar_t* const kClasses[] = {L"{E2B3C97F-6AE1-41AC-817A-F6F92166D7DD}", L"{2C5BC43E-3369-4C33-AB0C-BE9469677AF4}",
                                   L"{CC19079B-8272-4D73-BB70-CDB533527B61}"};
const int kOwners[] = {2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 12, 8, 8};  // per name, who answers: 1 << its Kind
bool Has(int kind, int name) { return kOwners[name] >> kind & 1; }
bool IsText(int field) { return field == 0 || field == 1 || field == 5; }
const char kFile[] = "C:\\e2e\\firewall.txt";

struct Object final : IDispatch, IEnumVARIANT, IClassFactory {  // a class's object is its class factory too
    Kind kind;
    LONG refs = 1;
    std::vector<std::wstring> fields{L"", L"", L"0", L"1", L"256", L"*", L"7", L"1"};
    bool listed = false;         // a rule of the list: changing it writes the file
    std::vector<Object*> items;  // an enumerator's, and where it is
    size_t at = 0;
    explicit Object(Kind k, std::vector<Object*> list = {}) : kind(k), items(list) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || (iid == IID_IDispatch && kind < kEnum) ? static_cast<IDispatch*>(this)
               : iid == IID_IEnumVARIANT && kind == kEnum     ? static_cast<void*>(static_cast<IEnumVARIANT*>(this))
               : iid == IID_IClassFactory && kind <= kProducts ? static_cast<IClassFactory*>(this) : nullptr;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs) ? refs : (delete this, 0); }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (int name = 0; name < 14; ++name)
            if (count == 1 && !_wcsicmp(*names, kNames[name]) && Has(kind, name))
                return *ids = name == 13 ? DISPID_NEWENUM : name + 1, S_OK;
        return count && (*ids = DISPID_UNKNOWN), DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    HRESULT Set(int field, VARIANT* value) {
        VARIANT v{};
        if (FAILED(VariantChangeType(&v, value, 0, IsText(field) ? VT_BSTR : VT_I4))) return DISP_E_TYPEMISMATCH;
        fields[field] = IsText(field) ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal))
                                      : std::to_wstring(field == 2 ? v.lVal != 0 : v.lVal);
        return VariantClear(&v), S_OK;
    }
    STDMETHODIMP Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        ULONG got = 0;
        for (; got < count && at < items.size(); ++got)
            out[got].vt = VT_DISPATCH, (out[got].pdispVal = items[at++])->AddRef();
        return fetched && (*fetched = got), got == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override { return (at += count) <= items.size() ? S_OK : S_FALSE; }
    STDMETHODIMP Reset() override { return at = 0, S_OK; }
    STDMETHODIMP Clone(IEnumVARIANT**) override { return E_NOTIMPL; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

long profiles = 0, enabledBits = 0, products = 0;
std::vector<Object*> rules;  // each holds a reference of the list's, never given back
void Load(bool withRules) {  // the products are asked on a thread of their own: they leave the rules alone
    std::wifstream in(kFile, std::ios::binary);
    std::wstring line;
    if (std::getline(in, line)) std::wistringstream(line) >> profiles >> enabledBits >> products;
    if (withRules) rules.clear();
    while (withRules && std::getline(in, line)) {
        if (line.size() < 2) continue;
        std::wistringstream cells(line.substr(0, line.find_last_not_of(L"\r") + 1));
        rules.push_back(new Object(kRule)), rules.back()->listed = true;
        for (auto& cell : rules.back()->fields) std::getline(cells, cell, L'\t');
    }
}
void Save() {
    std::wofstream out(kFile, std::ios::binary);
    out << profiles << L' ' << enabledBits << L' ' << products << L"\r\n";
    for (Object* rule : rules)
        for (int field = 0; field < 8; ++field) out << rule->fields[field] << (field < 7 ? L"\t" : L"\r\n");
}
HRESULT Handed(Object* made, REFIID iid, void** out) {  // a new object: the caller's reference is its only one
    HRESULT done = made->QueryInterface(iid, out);
    return made->Release(), done;
}
HRESULT Object::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* out, EXCEPINFO*, UINT*) {
    int name = id == DISPID_NEWENUM ? 13 : id - 1;
    bool put = flags & DISPATCH_PROPERTYPUT;
    VARIANT *arg = params && params->cArgs ? params->rgvarg : nullptr, result{}, v{};
    if (name < 0 || name > 13 || !Has(kind, name) || (put && name >= 8)) return DISP_E_MEMBERNOTFOUND;
    if ((put || name == 9 || name == 12) && !arg) return DISP_E_BADPARAMCOUNT;
    if (put) return FAILED(Set(name, arg)) ? DISP_E_TYPEMISMATCH : listed ? (Save(), S_OK) : S_OK;
    if ((name == 9 || name == 12) && FAILED(VariantChangeType(&v, arg, 0, name == 9 ? VT_I4 : VT_DISPATCH)))
        return DISP_E_TYPEMISMATCH;
    long number = name < 8 ? _wtol(fields[name].c_str()) : name == 8 ? profiles : name == 9 ? enabledBits & v.lVal
                : kind == kRules ? rules.size() : products;
    if (name < 8 && IsText(name)) result.vt = VT_BSTR, result.bstrVal = SysAllocString(fields[name].c_str());
    else if (name == 2 || name == 9) result.vt = VT_BOOL, result.boolVal = number ? VARIANT_TRUE : VARIANT_FALSE;
    else if (name == 10) result.vt = VT_DISPATCH, result.pdispVal = new Object(kRules);
    else if (name <= 11) result.vt = VT_I4, result.lVal = number;
    else if (name == 13) result.vt = VT_UNKNOWN, result.punkVal = static_cast<IEnumVARIANT*>(new Object(kEnum, rules));
    else {  // Add: a copy of the rule (rules come from here: their ids are ours)
        auto* copy = new Object(kRule);
        DISPPARAMS none{};
        VARIANT value{};
        for (int field = 0; field < 8; ++field, VariantClear(&value))
            if (!v.pdispVal || FAILED(v.pdispVal->Invoke(field + 1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value,
                                                          nullptr, nullptr)) || FAILED(copy->Set(field, &value)))
                return copy->Release(), DISP_E_TYPEMISMATCH;
        copy->listed = true, rules.push_back(copy), Save(), VariantClear(&v);
    }
    return out ? (*out = result, S_OK) : (VariantClear(&result), S_OK);
}
HRESULT Object::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (kind != kRule && !outer) Load(kind == kPolicy);
    return outer ? (*out = nullptr, CLASS_E_NOAGGREGATION) : Handed(new Object(kind), iid, out);
}
}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    CLSID known;
    for (int made = kPolicy; made <= kProducts; ++made)
        if (SUCCEEDED(CLSIDFromString(kClasses[made], &known)) && known == clsid)
            return Handed(new Object(Kind(made)), iid, out);
    return *out = nullptr, CLASS_E_CLASSNOTAVAILABLE;
}
extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }
