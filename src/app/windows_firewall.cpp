#include "app/windows_firewall.h"

#include <windows.h>

#include <memory>

#include "app/firewall_verdict.h"
#include "win/automation.h"
#include "win/handles.h"

namespace pavlune {

namespace {

constexpr CLSID kPolicy2 = {0xe2b3c97f, 0x6ae1, 0x41ac, {0x81, 0x7a, 0xf6, 0xf9, 0x21, 0x66, 0xd7, 0xdd}};
constexpr CLSID kRule = {0x2c5bc43e, 0x3369, 0x4c33, {0xab, 0x0c, 0xbe, 0x94, 0x69, 0x67, 0x7a, 0xf4}};
constexpr CLSID kProducts = {0xcc19079b, 0x8272, 0x4d73, {0xbb, 0x70, 0xcd, 0xb5, 0x33, 0x52, 0x7b, 0x61}};
constexpr CLSID kManager = {0x304ce942, 0x6e39, 0x40d8, {0x94, 0x3a, 0xb9, 0x13, 0xc4, 0x0c, 0x9c, 0xd4}};
constexpr CLSID kAuthorizedApplication = {0xec9846b3, 0x2762, 0x4a6b, {0xa2, 0x14, 0x6a, 0xcb, 0x60, 0x34, 0x62, 0xd2}};
// Rule values as the firewall names them.
constexpr long kInbound = 1, kAllow = 1;
constexpr long kAnyIpVersion = 2;  // NET_FW_IP_VERSION_ANY
constexpr int kPorts[] = {5963, 5964};
constexpr const wchar_t* kRuleName = L"Pavlune";
// Windows' own question to the firewall products answers at once; one that
// hangs in a product's service is left to itself.
constexpr DWORD kProductsWait = 5000;

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::optional<std::string> Environment(std::string_view name) {
    char value[MAX_PATH * 2];
    DWORD length = GetEnvironmentVariableA(std::string(name).c_str(), value, sizeof value);
    if (length == 0 || length >= sizeof value) return std::nullopt;
    return std::string(value, length);
}

struct ProductsQuestion {
    UniqueHandle answered{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::optional<bool> answer;
};

DWORD WINAPI AskProducts(void* parameter) {
    std::unique_ptr<std::shared_ptr<ProductsQuestion>> held(static_cast<std::shared_ptr<ProductsQuestion>*>(parameter));
    ProductsQuestion& question = **held;
    {
        ComApartment apartment;
        Automation products = Automation::Create(kProducts);
        // Before Windows 8 there is no such list: nobody else registered.
        if (!products) question.answer = apartment.Ready() ? std::optional<bool>(false) : std::nullopt;
        else if (std::optional<long> count = products.Long(L"Count")) question.answer = *count > 0;
    }
    SetEvent(question.answered.get());
    return 0;
}

// Another firewall registered with Windows (8 and later) decides for
// itself; the question runs on a thread of its own, as it can hang.
// None when no answer came.
std::optional<bool> OtherFirewallRegistered() {
    auto question = std::make_shared<ProductsQuestion>();
    if (!question->answered) return std::nullopt;
    auto* held = new std::shared_ptr<ProductsQuestion>(question);
    DWORD id = 0;
    UniqueHandle thread(CreateThread(nullptr, 0, AskProducts, held, 0, &id));
    if (!thread) {
        delete held;
        return std::nullopt;
    }
    if (WaitForSingleObject(question->answered.get(), kProductsWait) != WAIT_OBJECT_0) return std::nullopt;
    return question->answer;
}

// One rule as the verdict needs it; none when it cannot be read. A rule of
// another protocol never decides, and is read no further (ICMP has no ports).
std::optional<FirewallRule> ReadRule(const Automation& item) {
    std::optional<long> protocol = item.Long(L"Protocol");
    if (!protocol) return std::nullopt;
    FirewallRule rule;
    rule.Protocol = static_cast<int>(*protocol);
    if (rule.Protocol != kUdpProtocol && rule.Protocol != kAnyProtocol) return rule;
    std::optional<bool> enabled = item.Bool(L"Enabled");
    std::optional<long> direction = item.Long(L"Direction"), profiles = item.Long(L"Profiles"),
                        action = item.Long(L"Action");
    std::optional<std::wstring> application = item.Text(L"ApplicationName"), ports = item.Text(L"LocalPorts");
    if (!enabled || !direction || !profiles || !action || !application || !ports) return std::nullopt;
    return FirewallRule{Narrow(*application), *enabled, *direction == kInbound, rule.Protocol,
                        Narrow(*ports), static_cast<unsigned>(*profiles), *action == kAllow};
}

// Vista and later: the profiles, and the rules that may concern the ports.
std::optional<FirewallSettings> ReadSettings(const Automation& policy) {
    FirewallSettings settings;
    std::optional<long> active = policy.Long(L"CurrentProfileTypes");
    if (!active) return std::nullopt;
    settings.ActiveProfiles = static_cast<unsigned>(*active);
    for (unsigned profile : {kDomainProfile, kPrivateProfile, kPublicProfile}) {
        std::optional<bool> on = policy.Bool(L"FirewallEnabled", static_cast<long>(profile));
        if (!on) return std::nullopt;
        if (*on) settings.FirewallOn |= profile;
    }
    std::optional<std::vector<Automation>> rules = policy.Object(L"Rules").Items();
    if (!rules) return std::nullopt;
    for (const Automation& item : *rules) {
        std::optional<FirewallRule> rule = ReadRule(item);
        if (!rule) return std::nullopt;
        settings.Rules.push_back(std::move(*rule));
    }
    return settings;
}

// XP SP2 and Server 2003: one profile in force, asked port by port.
std::optional<unsigned> ReadOlderFirewall(const std::string& exePath) {
    Automation manager = Automation::Create(kManager);
    if (!manager) return std::nullopt;
    for (int port : kPorts) {
        VARIANT allowed{}, restricted{};
        VARIANT allowedOut{}, restrictedOut{}, anyAddress{};
        anyAddress.vt = VT_BSTR;  // a null BSTR: any local address
        allowedOut.vt = restrictedOut.vt = VT_BYREF | VT_VARIANT;
        allowedOut.pvarVal = &allowed;
        restrictedOut.pvarVal = &restricted;
        bool asked = manager.Call(L"IsPortAllowed",
                                  {TextArgument(Wide(exePath)), LongArgument(kAnyIpVersion), LongArgument(port),
                                   anyAddress, LongArgument(kUdpProtocol), allowedOut, restrictedOut});
        bool open = asked && allowed.vt == VT_BOOL && allowed.boolVal != VARIANT_FALSE;
        ClearVariant(allowed);
        ClearVariant(restricted);
        if (!asked) return std::nullopt;
        if (!open) return kPrivateProfile;  // XP's one profile is never called public
    }
    return 0u;
}

}  // namespace

std::optional<unsigned> ReadFirewallBlock(const std::string& exePath) {
    ComApartment apartment;
    if (!apartment.Ready()) return std::nullopt;
    std::optional<bool> other = OtherFirewallRegistered();
    if (!other || *other) return std::nullopt;
    Automation policy = Automation::Create(kPolicy2);
    if (!policy) return ReadOlderFirewall(exePath);
    std::optional<FirewallSettings> settings = ReadSettings(policy);
    if (!settings) return std::nullopt;
    return BlockingProfiles(*settings, exePath, Environment);
}

bool AllowThroughFirewall(const std::string& exePath) {
    ComApartment apartment;
    if (!apartment.Ready()) return false;
    Automation policy = Automation::Create(kPolicy2);
    if (!policy) {
        Automation profile = Automation::Create(kManager).Object(L"LocalPolicy").Object(L"CurrentProfile");
        Automation application = Automation::Create(kAuthorizedApplication);
        return profile && application && application.Put(L"ProcessImageFileName", Wide(exePath)) &&
               application.Put(L"Name", kRuleName) && application.PutBool(L"Enabled", true) &&
               profile.Object(L"AuthorizedApplications").Call(L"Add", {application.AsArgument()});
    }
    Automation rules = policy.Object(L"Rules");
    std::optional<std::vector<Automation>> items = rules.Items();
    if (!items) return false;
    for (const Automation& item : *items) {
        std::optional<FirewallRule> rule = ReadRule(item);
        std::optional<unsigned> left = rule ? ProfilesLeftBlocking(*rule, exePath, Environment) : std::nullopt;
        if (!left) continue;
        if (!(*left ? item.Put(L"Profiles", static_cast<long>(*left)) : item.PutBool(L"Enabled", false))) return false;
    }
    Automation rule = Automation::Create(kRule);
    // The protocol comes before the ports: the firewall refuses ports of "any protocol".
    return rule && rule.Put(L"Name", kRuleName) && rule.Put(L"ApplicationName", Wide(exePath)) &&
           rule.Put(L"Protocol", static_cast<long>(kUdpProtocol)) && rule.Put(L"LocalPorts", L"5963-5964") &&
           rule.Put(L"Direction", kInbound) && rule.Put(L"Action", kAllow) &&
           rule.Put(L"Profiles", static_cast<long>(kFixedProfiles)) && rule.PutBool(L"Enabled", true) &&
           rules.Call(L"Add", {rule.AsArgument()});
}

}  // namespace pavlune
