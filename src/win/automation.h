// COM objects reached as a script reaches them: through IDispatch, by the
// names their interfaces give. OLE32 and OLEAUT32 come from the system
// folder at run time, so that the program loads where COM is missing; there,
// as for a class the system lacks, every call reports failure.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace pavlune {

// COM for the calling thread while in scope.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool Ready() const { return ready_; }

private:
    bool ready_ = false;
};

// One object, held while in scope; empty after any failure to reach it.
class Automation {
public:
    Automation() = default;
    explicit Automation(IDispatch* object) : object_(object) {}  // takes the reference
    Automation(Automation&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    Automation& operator=(Automation&& other) noexcept;
    Automation(const Automation&) = delete;
    Automation& operator=(const Automation&) = delete;
    ~Automation();

    // An object of the class, in this process; empty when it cannot be made.
    static Automation Create(const CLSID& id);

    explicit operator bool() const { return object_ != nullptr; }

    // Property reads, with the property's arguments; none on failure.
    std::optional<long> Long(const wchar_t* name, std::optional<long> argument = std::nullopt) const;
    std::optional<bool> Bool(const wchar_t* name, std::optional<long> argument = std::nullopt) const;
    std::optional<std::wstring> Text(const wchar_t* name, const wchar_t* argument = nullptr) const;
    Automation Object(const wchar_t* name) const;
    // The objects of a collection, in its order; none on failure.
    std::optional<std::vector<Automation>> Items() const;

    bool Put(const wchar_t* name, long value) const;
    bool PutBool(const wchar_t* name, bool value) const;
    bool Put(const wchar_t* name, const std::wstring& value) const;
    // A method called with these arguments (in the order the method names
    // them); its result is in result when given.
    bool Call(const wchar_t* name, std::vector<VARIANT> arguments, VARIANT* result = nullptr) const;
    // A VARIANT holding this object, for an argument (the holder keeps its own
    // reference).
    VARIANT AsArgument() const;

private:
    // The property's value converted to type; an empty or null value reads as its
    // type's empty.
    bool Read(const wchar_t* name, std::vector<VARIANT> arguments, VARTYPE type, VARIANT& value) const;
    HRESULT Invoke(const wchar_t* name, WORD flags, std::vector<VARIANT>& arguments, VARIANT* result) const;

    IDispatch* object_ = nullptr;
};

// A VARIANT owned by the caller, emptied as Windows empties one.
void ClearVariant(VARIANT& value);

// Arguments for Call: a number, and a wide text as a BSTR; Call clears them.
VARIANT LongArgument(long value);
VARIANT TextArgument(const std::wstring& text);

}  // namespace pavlune
