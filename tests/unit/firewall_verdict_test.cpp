// Which of the active profiles keep Pavlune from hearing its colleagues.
#include "app/firewall_verdict.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

constexpr const char* kExe = "C:\\Program Files\\Pavlune\\Pavlune.exe";

std::optional<std::string> Environment(std::string_view name) {
    if (name == "ProgramFiles") return "C:\\Program Files";
    return std::nullopt;
}

TEST(FirewallVerdict, BlockingProfilesFromTheRules) {
    const FirewallRule allow = {.Application = kExe, .Protocol = kUdpProtocol, .LocalPorts = "5963-5964",
                                .Profiles = kPrivateProfile};
    auto with = [&](auto change) {
        FirewallRule rule = allow;
        change(rule);
        return rule;
    };
    const FirewallRule block = with([](FirewallRule& r) { r.Allow = false, r.LocalPorts = "*", r.Protocol = kAnyProtocol; });
    struct Case {
        const char* name;
        unsigned active;
        std::vector<FirewallRule> rules;
        unsigned blocking;
    };
    const Case cases[] = {
        {"its own allow rule", kPrivateProfile, {allow}, 0},
        {"no rule", kPrivateProfile, {}, kPrivateProfile},
        {"a block rule wins", kPrivateProfile, {allow, block}, kPrivateProfile},
        {"Private rule, Public network", kPublicProfile, {allow}, kPublicProfile},
        {"one of two networks Public", kPrivateProfile | kPublicProfile, {allow}, kPublicProfile},
        {"disabled rule", kPrivateProfile, {with([](FirewallRule& r) { r.Enabled = false; })}, kPrivateProfile},
        {"outbound rule", kPrivateProfile, {with([](FirewallRule& r) { r.Inbound = false; })}, kPrivateProfile},
        {"another exe", kPrivateProfile, {with([](FirewallRule& r) { r.Application = "C:\\Other\\Pavlune.exe"; })},
         kPrivateProfile},
        {"another exe's block", kPrivateProfile, {allow, with([](FirewallRule& r) { r.Application = "C:\\x.exe", r.Allow = false; })}, 0},
        {"%ProgramFiles% and another case", kPrivateProfile,
         {with([](FirewallRule& r) { r.Application = "%ProgramFiles%\\pavlune\\PAVLUNE.EXE"; })}, 0},
        {"every program", kPrivateProfile, {with([](FirewallRule& r) { r.Application.clear(); })}, 0},
        {"TCP only", kPrivateProfile, {with([](FirewallRule& r) { r.Protocol = 6; })}, kPrivateProfile},
        {"any protocol", kPrivateProfile, {with([](FirewallRule& r) { r.Protocol = kAnyProtocol; })}, 0},
        {"port list", kPrivateProfile, {with([](FirewallRule& r) { r.LocalPorts = "80, 5963,5964"; })}, 0},
        {"one port of two", kPrivateProfile, {with([](FirewallRule& r) { r.LocalPorts = "5963"; })}, kPrivateProfile},
        {"every port", kPrivateProfile, {with([](FirewallRule& r) { r.LocalPorts = "*"; })}, 0},
        {"a range beside", kPrivateProfile, {with([](FirewallRule& r) { r.LocalPorts = "5960-5963,RPC"; })},
         kPrivateProfile},
    };
    for (const Case& c : cases) {
        const FirewallSettings settings = {c.active, kDomainProfile | kPrivateProfile | kPublicProfile, c.rules};
        EXPECT_EQ(BlockingProfiles(settings, kExe, Environment), c.blocking) << c.name;
    }
    EXPECT_EQ(BlockingProfiles({kDomainProfile, kPrivateProfile, {}}, kExe, Environment), 0u) << "off where active";
    EXPECT_EQ(ExpandVariables("%Unset%\\%ProgramFiles%\\100%", Environment), "%Unset%\\C:\\Program Files\\100%");
}

}  // namespace
}  // namespace pavlune
