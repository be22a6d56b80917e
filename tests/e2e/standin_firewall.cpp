// Windows' firewall as a test PC has it: its COM classes (late-bound use only) serving the profiles and rules of
// C:\e2e\firewall.txt, and writing the rule list back to it at every change. Line 1: "CurrentProfileTypes
// FirewallEnabledBits ProductsCount"; then one rule a line, its first eight kNames TAB-separated (ASCII).
#include <windows.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
const wchar_t* const kNames[] = {L"Name", L"ApplicationName", L"Enabled", L"Direction", L"Protocol", L"LocalPorts",
                                 L"Profiles", L"Action", L"CurrentProfileTypes", L"FirewallEnabled", L"Rules",
                                 L"Count", L"Add", L"_NewEnum"};
enum Kind { kPolicy, kRules, kRule, kProducts, kEnum, kFactory };
bool Has(int kind, int name) {  // as the real interfaces spread the names
    return name < 8 ? kind == kRule : name < 11 ? kind == kPolicy : kind == kRules || (name == 11 && kind == kProducts);
}
bool IsText(int field) { return field == 0 || field == 1 || field == 5; }
const char kFile[] = "C:\\e2e\\firewall.txt";

struct Object final : IDispatch, IEnumVARIANT, IClassFactory {
    Kind kind, makes = kRule;  // makes: what a factory creates
    LONG refs = 1;
    std::vector<std::wstring> fields{L"", L"", L"0", L"1", L"256", L"*", L"7", L"1"};
    bool listed = false;         // a rule of the list: changing it writes the file
    std::vector<Object*> items;  // an enumerator's, and where it is
    size_t at = 0;
    explicit Object(Kind k) : kind(k) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || (iid == IID_IDispatch && kind < kEnum) ? static_cast<IDispatch*>(this)
               : iid == IID_IEnumVARIANT && kind == kEnum    ? static_cast<void*>(static_cast<IEnumVARIANT*>(this))
               : iid == IID_IClassFactory && kind == kFactory ? static_cast<IClassFactory*>(this) : nullptr;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs);
        if (!left) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (int name = 0; count && name < 14; ++name)
            if (!_wcsicmp(names[0], kNames[name]) && Has(kind, name)) ids[0] = name == 13 ? DISPID_NEWENUM : name + 1;
        return count == 1 && ids[0] != DISPID_UNKNOWN ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    HRESULT Set(int field, VARIANT* value) {
        VARIANT v{};
        if (FAILED(VariantChangeType(&v, value, 0, IsText(field) ? VT_BSTR : VT_I4))) return DISP_E_TYPEMISMATCH;
        fields[field] = IsText(field) ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal))
                                      : std::to_wstring(field == 2 ? v.lVal != 0 : v.lVal);
        return VariantClear(&v), S_OK;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        ULONG got = 0;
        for (; got < count && at < items.size(); ++got) out[got].vt = VT_DISPATCH, (out[got].pdispVal = items[at++])->AddRef();
        if (fetched) *fetched = got;
        return got == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return (at += count) <= items.size() ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Reset() override { return at = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

long profiles = 0, enabledBits = 0, products = 0;
std::vector<Object*> rules;  // each holds a reference of the list's, never given back

void Load(bool withRules) {  // the products are asked on a thread of their own: they leave the rules alone
    std::wifstream in(kFile, std::ios::binary);
    std::wstring line;
    profiles = enabledBits = products = 0;
    if (std::getline(in, line)) std::wistringstream(line) >> profiles >> enabledBits >> products;
    if (withRules) rules.clear();
    while (withRules && std::getline(in, line)) {
        std::wistringstream cells(line.substr(0, line.find_last_not_of(L"\r") + 1));
        if (line.size() < 2) continue;
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

HRESULT Object::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* out, EXCEPINFO*, UINT*) {
    int name = id == DISPID_NEWENUM ? 13 : id - 1;
    VARIANT* arg = params && params->cArgs ? &params->rgvarg[0] : nullptr;
    VARIANT result{}, v{};
    if (name < 0 || name > 13 || !Has(kind, name) || (flags & DISPATCH_PROPERTYPUT && name >= 8))
        return DISP_E_MEMBERNOTFOUND;
    if (flags & DISPATCH_PROPERTYPUT) {
        HRESULT done = arg ? Set(name, arg) : DISP_E_BADPARAMCOUNT;
        return SUCCEEDED(done) && listed ? Save(), done : done;
    }
    if ((name == 9 || name == 12) && (!arg || FAILED(VariantChangeType(&v, arg, 0, name == 9 ? VT_I4 : VT_DISPATCH))))
        return arg ? DISP_E_TYPEMISMATCH : DISP_E_BADPARAMCOUNT;
    long number = name < 8 ? _wtol(fields[name].c_str()) : name == 8 ? profiles : name == 9 ? enabledBits & v.lVal
                : kind == kRules ? rules.size() : products;
    if (name < 8 && IsText(name)) result.vt = VT_BSTR, result.bstrVal = SysAllocString(fields[name].c_str());
    else if (name == 2 || name == 9) result.vt = VT_BOOL, result.boolVal = number ? VARIANT_TRUE : VARIANT_FALSE;
    else if (name <= 11) result.vt = VT_I4, result.lVal = number;
    if (name == 10) result.vt = VT_DISPATCH, result.pdispVal = new Object(kRules);
    if (name == 13) {
        auto* each = new Object(kEnum);
        each->items = rules, result.vt = VT_UNKNOWN, result.punkVal = static_cast<IEnumVARIANT*>(each);
    }
    if (name == 12) {  // a copy of the rule, read as any client reads it
        auto* copy = new Object(kRule);
        for (int field = 0; field < 8; ++field) {
            LPOLESTR property = const_cast<LPOLESTR>(kNames[field]);
            DISPID got;
            DISPPARAMS none{};
            VARIANT value{};
            HRESULT done = v.pdispVal ? v.pdispVal->GetIDsOfNames(IID_NULL, &property, 1, 0, &got) : E_POINTER;
            if (SUCCEEDED(done)) done = v.pdispVal->Invoke(got, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, 0, 0);
            if (SUCCEEDED(done)) done = copy->Set(field, &value);
            VariantClear(&value);
            if (FAILED(done)) return VariantClear(&v), copy->Release(), done;
        }
        copy->listed = true, rules.push_back(copy), Save(), VariantClear(&v);
    }
    if (out) *out = result;
    else VariantClear(&result);
    return S_OK;
}

HRESULT Object::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (outer) return *out = nullptr, CLASS_E_NOAGGREGATION;
    if (makes != kRule) Load(makes == kPolicy);
    auto* made = new Object(makes);
    HRESULT done = made->QueryInterface(iid, out);
    return made->Release(), done;
}
}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    const wchar_t* const classes[] = {L"{E2B3C97F-6AE1-41AC-817A-F6F92166D7DD}", L"{2C5BC43E-3369-4C33-AB0C-BE9469677AF4}",
                                      L"{CC19079B-8272-4D73-BB70-CDB533527B61}"};  // Policy2, Rule, Products
    CLSID known;
    for (Kind makes : {kPolicy, kRule, kProducts})
        if (SUCCEEDED(CLSIDFromString(classes[makes == kPolicy ? 0 : makes == kRule ? 1 : 2], &known)) && known == clsid) {
            auto* factory = new Object(kFactory);
            factory->makes = makes;
            HRESULT done = factory->QueryInterface(iid, out);
            return factory->Release(), done;
        }
    return *out = nullptr, CLASS_E_CLASSNOTAVAILABLE;
}
extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }
