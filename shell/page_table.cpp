#include "shell/page_table.h"

namespace {

constexpr PageInfo kPages[] = {
    {kHomePageId, 252, -1, -1, "", "Home \\ Information"},
    {0x10001, 131, 0, 0, "Wireless", "Basic \\ Wireless"},
    {0x10002, 154, 0, 1, "LAN", "Basic \\ Lan"},
    {0x20001, 159, 1, 0, "Performance", "Advanced \\ Performance"},
    {0x20002, 161, 1, 1, "Multi-SSID", "Andvanced \\ Multi-SSID"},
    {0x20003, 165, 1, 2, "VLan", "Advanced \\ VLAN"},
    {0x20004, 166, 1, 3, "Intrusion", "Advanced \\ Intrusion"},
    {0x20005, 167, 1, 4, "Schedule", "Advanced \\ Schedule"},
    {0x20006, 170, 1, 5, "DHCP Server", "Advanced \\ DHCP Server"},
    {0x20007, 171, 1, 6, "AP Array", "Advanced \\AP Array"},
    {0x20008, 242, 1, 7, "Filter", "Advanced \\ Filter"},
    {0x20009, 256, 1, 8, "QoS", "Advanced \\ QoS"},
    {0x2000A, 202, 1, 9, "ARP Spoofing Prevention Settings", "Advanced \\ARP Spoofing Prevention"},
    {0x30001, 203, 2, 0, "Admin", "Maintenance \\Admin"},
    {0x30002, 221, 2, 1, "Firmware and SSL", "Maintenance \\ Firmware and SSL"},
    {0x30003, 222, 2, 2, "Configuration File", "Maintenance \\ Configuration File"},
    {0x30004, 220, 2, 3, "Date and Time", "Maintenance \\ Time and Date"},
    {0x40001, 156, 3, 0, "Device Information", "Status \\ Device Information"},
    {0x40002, 185, 3, 1, "Client Information", "Status \\ Client Information"},
    {0x40003, 187, 3, 2, "WDS Information", "Status \\ WDS Information"},
    {0x40004, 245, 3, 3, "Stats", "Status \\ Stats"},
    {0x40005, 233, 3, 4, "Log", "Status \\ Log"},
    {0x50001, 223, 4, 0, "System", "System"},
};

constexpr bool IdsFollowFolders() {
  for (const PageInfo& p : kPages)
    if (p.id != PageIdOf(p.folder, p.item)) return false;
  return true;
}
static_assert(IdsFollowFolders());

constexpr NavFolder kFolders[] = {
    {"Basic", 0}, {"Advanced", 1}, {"Maintenance", 2}, {"Status", 3}, {"System", 4},
};

constexpr MenuCommand kCommands[] = {
    {kCmdInformation, "Home", "&Information", -1, -1},
    {kCmdClose, "Home", "&Close", kNoFolder, 0},
    {32801, "Basic", "&Wireless", 0, 0},
    {32802, "Basic", "&Lan", 0, 1},
    {32820, "Advanced", "&Performance", 1, 0},
    {32821, "Advanced", "&Multi-SSID", 1, 1},
    {32822, "Advanced", "&VLan", 1, 2},
    {32823, "Advanced", "&Intrusion", 1, 3},
    {32824, "Advanced", "&Schedule", 1, 4},
    {32825, "Advanced", "&DHCP Server", 1, 5},
    {32826, "Advanced", "AP &Array", 1, 6},
    {32827, "Advanced", "&Filter", 1, 7},
    {32828, "Advanced", "&QoS", 1, 8},
    {kCmdArp, "Advanced", "A&RP Spoofing Prevention", 1, 9},
    {32840, "Maintenance", "&Admin", 2, 0},
    {32841, "Maintenance", "&Firmware and SSL", 2, 1},
    {32842, "Maintenance", "&Configuration File", 2, 2},
    {32843, "Maintenance", "&Time and Data", 2, 3},
    {32850, "Status", "&Device Information", 3, 0},
    {32851, "Status", "&Client Information", 3, 1},
    {32852, "Status", "&WDS Information", 3, 2},
    {32853, "Status", "&Stats", 3, 3},
    {32854, "Status", "&Log", 3, 4},
    {kCmdSystem, "System", "&System", 4, 0},
    {kCmdSaveAndActive, "Configuration", "Save And Active", kNoFolder, 0},
    {kCmdDiscardChanges, "Configuration", "Discard Changes", kNoFolder, 0},
    {kCmdAbout, "Help", "&About", kNoFolder, 0},
};

}  // namespace

std::span<const PageInfo> PageTable() { return kPages; }

const PageInfo* FindPage(int id) {
  for (const PageInfo& p : kPages)
    if (p.id == id) return &p;
  return nullptr;
}

std::span<const NavFolder> NavFolders() { return kFolders; }

std::span<const MenuCommand> MenuCommands() { return kCommands; }

const MenuCommand* FindCommand(int command) {
  for (const MenuCommand& c : kCommands)
    if (c.command == command) return &c;
  return nullptr;
}
