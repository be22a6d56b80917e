// Which of the active profiles keep Pavlune from hearing its colleagues.
#include "app/firewall_verdict.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

constexpr const char* kExe = "C:\\Program Files\\Pavlune\\Pavlune.exe";
constexpr unsigned kPrivate = kPrivateProfile, kPublic = kPublicProfile, kAll = 7;

std::optional<std::string> Environment(std::string_view name) {
    return name == "ProgramFiles" ? std::optional<std::string>("C:\\Program Files") : std::nullopt;
}

FirewallRule Allow(std::string ports = "5963-5964", int protocol = kUdpProtocol, std::string exe = kExe) {
    return {.Application = exe, .Protocol = protocol, .LocalPorts = ports, .Profiles = kPrivate};
}

TEST(FirewallVerdict, BlockingProfilesFromTheRules) {
    FirewallRule block = Allow("*", kAnyProtocol), disabled = Allow(), outbound = Allow();
    block.Allow = disabled.Enabled = outbound.Inbound = false;
    struct Case {
        const char* name;
        unsigned active, on;
        std::vector<FirewallRule> rules;
        unsigned blocking;
    };
    const Case cases[] = {
        {"its own allow rule", kPrivate, kAll, {Allow()}, 0},
        {"no rule", kPrivate, kAll, {}, kPrivate},
        {"firewall off where active", kPrivate, kPublic, {}, 0},
        {"a block rule wins", kPrivate, kAll, {Allow(), block}, kPrivate},
        {"Private rule, Public network", kPublic, kAll, {Allow()}, kPublic},
        {"one of two networks Public", kPrivate | kPublic, kAll, {Allow()}, kPublic},
        {"disabled rule", kPrivate, kAll, {disabled}, kPrivate},
        {"outbound rule", kPrivate, kAll, {outbound}, kPrivate},
        {"another exe", kPrivate, kAll, {Allow("*", kUdpProtocol, "C:\\Other\\Pavlune.exe")}, kPrivate},
        {"%ProgramFiles%, another case", kPrivate, kAll,
         {Allow("*", kUdpProtocol, "%ProgramFiles%\\pavlune\\PAVLUNE.EXE")}, 0},
        {"every program", kPrivate, kAll, {Allow("*", kUdpProtocol, "")}, 0},
        {"TCP only", kPrivate, kAll, {Allow("*", 6)}, kPrivate},
        {"port list", kPrivate, kAll, {Allow("80, 5963,5964")}, 0},
        {"one port of two", kPrivate, kAll, {Allow("5963")}, kPrivate},
        {"a range beside and a keyword", kPrivate, kAll, {Allow("5960-5963,RPC")}, kPrivate},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BlockingProfiles({c.active, c.on, c.rules}, kExe, Environment), c.blocking) << c.name;
    }
    // The mend: the program's own block rules stop blocking on Domain and Private; others stay.
    block.Profiles = kAll;
    EXPECT_EQ(ProfilesLeftBlocking(block, kExe, Environment), kPublic);
    block.Profiles = kPrivate;
    EXPECT_EQ(ProfilesLeftBlocking(block, kExe, Environment), 0u);
    for (const FirewallRule& kept :
         {Allow("*", kUdpProtocol, "C:\\Other.exe"), Allow("*", kUdpProtocol, ""), Allow("*", 6)}) {
        FirewallRule rule = kept;
        rule.Allow = false;
        EXPECT_EQ(ProfilesLeftBlocking(rule, kExe, Environment), std::nullopt) << rule.Application << rule.Protocol;
    }
    EXPECT_EQ(ExpandVariables("%Unset%\\%ProgramFiles%\\100%", Environment), "%Unset%\\C:\\Program Files\\100%");
}

}  // namespace
}  // namespace pavlune
