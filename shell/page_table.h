// What the configuration window is made of: the navigation folders, every
// page with its identifier, and the menu commands.  The frame, the view and
// the page factory all read these tables; nothing here makes a widget.
//
// A page's identifier is ((folder + 1) << 16) | (item + 1), so the home page
// (folder -1, item -1) is 0 and "LAN" (folder 0, item 1) is 0x10002.
#pragma once

#include <span>

struct PageInfo {
  int id;
  int templateId;        // dialog resource number of the page
  int folder;            // -1 for the home page
  int item;              // position in its folder, -1 for the home page
  const char* itemText;  // navigation bar item, "" for the home page
  const char* title;     // the page's own title text
};

struct NavFolder {
  const char* caption;
  int number;
};

// One menu entry.  Page commands carry the folder and item they show;
// the others have folder -2.
struct MenuCommand {
  int command;
  const char* menu;  // title of the menu it sits in
  const char* text;
  int folder;
  int item;
};

inline constexpr int kHomePageId = 0;
inline constexpr int kLanPageId = 0x10002;
inline constexpr int kApArrayPageId = 0x20007;
inline constexpr int kArpPageId = 0x2000A;
inline constexpr int kDeviceInfoPageId = 0x40001;
inline constexpr int kSystemPageId = 0x50001;

// Folder and item of the navigation entry "ARP Spoofing Prevention Settings".
inline constexpr int kArpFolder = 1;
inline constexpr int kArpItem = 9;

// Menu commands that are not page selections.
inline constexpr int kCmdInformation = 32800;
inline constexpr int kCmdClose = 32774;
inline constexpr int kCmdArp = 32829;
inline constexpr int kCmdSystem = 32817;
inline constexpr int kCmdSaveAndActive = 32771;
inline constexpr int kCmdDiscardChanges = 32772;
inline constexpr int kCmdAbout = 57664;
inline constexpr int kNoFolder = -2;

constexpr int PageIdOf(int folder, int item) { return ((folder + 1) << 16) | (item + 1); }

// In creation order: the home page first, then folder by folder.
std::span<const PageInfo> PageTable();
// The entry with this identifier, or null.
const PageInfo* FindPage(int id);
std::span<const NavFolder> NavFolders();
// In menu order.
std::span<const MenuCommand> MenuCommands();
const MenuCommand* FindCommand(int command);
