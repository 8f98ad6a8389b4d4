// SPDX-License-Identifier: GPL-3.0-or-later
// The window's resources as data: control and command identifiers, the two dialog templates (with
// positions in dialog units and Windows style bits) and the main menu. The window builds itself from
// these tables, so the layout and tab order live in one place.
#pragma once

#include <cstdint>
#include <span>

namespace quarrow::res {

// Dialogs, bitmaps, icons and menus.
inline constexpr int IDD_QUARROW_DIALOG = 102;
inline constexpr int IDR_MAINMENU = 130;
inline constexpr int IDD_ABOUT = 133;
inline constexpr int IDB_DONATE = 134;
inline constexpr int IDI_MAIN = 135;

// Main dialog controls.
inline constexpr int IDC_DEVICES = 1000;
inline constexpr int IDC_CONNECT = 1003;
inline constexpr int IDC_PROGRESS = 1005;
inline constexpr int IDC_CHIP_DATA = 1007;
inline constexpr int IDC_BUFFER_DATA = 1008;
inline constexpr int IDC_READ_CHIP = 1011;
inline constexpr int IDC_SAVE_DATA = 1012;
inline constexpr int IDC_COMPARE = 1014;
inline constexpr int IDC_OPEN_FILE = 1015;
inline constexpr int IDC_DONATE = 1024;
inline constexpr int AFX_IDW_STATUS_BAR = 0xE801;
// The status line's second pane: the identification of the last read or opened image.
inline constexpr int ID_INDICATOR_IDENTIFY = 0xE710;
inline constexpr const char* kIdentifyPaneName = "ID_INDICATOR_IDENTIFY";

// About box controls.
inline constexpr int IDOK = 1;
inline constexpr int IDC_ABOUT_WEB = 1020;
inline constexpr int IDC_ABOUT_MAIL = 1021;
inline constexpr int IDC_ABOUT_DONATE = 1022;
inline constexpr int IDC_ABOUT_NOTE = 1023;

// Menu commands.
inline constexpr int ID_FILE_OPEN = 0xE101;
inline constexpr int ID_FILE_EXIT = 32773;
inline constexpr int ID_HELP_ABOUT = 32774;
inline constexpr int ID_FILE_SAVEAS = 32775;
inline constexpr int ID_FILE_OPENNSS = 32776;
inline constexpr int ID_FILE_SAVEASNSS = 32780;
inline constexpr int ID_FILE_WIRING = 32781;
inline constexpr int ID_HELP_DETAILS = 32790;

// The Windows style bits that change how a control behaves here.
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_VSCROLL = 0x00200000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x0001;
inline constexpr std::uint32_t CBS_DROPDOWN = 0x0002;
inline constexpr std::uint32_t CBS_SORT = 0x0100;
inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr std::uint32_t ES_READONLY = 0x0800;
inline constexpr std::uint32_t SS_BITMAP = 0x000E;
inline constexpr std::uint32_t SS_TYPEMASK = 0x001F;
inline constexpr std::uint32_t SS_NOTIFY = 0x0100;

// Window classes of the templates.
inline constexpr const char* kClassButton = "BUTTON";
inline constexpr const char* kClassMfcButton = "MfcButton";
inline constexpr const char* kClassComboBox = "COMBOBOX";
inline constexpr const char* kClassEdit = "EDIT";
inline constexpr const char* kClassStatic = "STATIC";
inline constexpr const char* kClassProgress = "msctls_progress32";

struct ControlTemplate {
  int id;
  const char* name;  // resource name, or null for controls that code never addresses
  const char* windowClass;
  const char* text;  // null: no text (or a bitmap, or filled in at run time)
  int x, y, cx, cy;  // dialog units
  std::uint32_t style;
  // What a screen reader says of the control. A label names the control it stands before
  // (`labelFor`), as the Windows dialog manager names a box after the static text preceding it;
  // a control whose label ends in a colon, or that has no text, gets its own name.
  int labelFor = 0;
  const char* accessibleName = nullptr;
  const char* accessibleDescription = nullptr;
};

struct DialogTemplate {
  int id;
  const char* name;
  const char* caption;
  int cx, cy;  // client size in dialog units
  std::span<const ControlTemplate> controls;  // template order, which is also the tab order
};

inline constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;
inline constexpr std::uint32_t kLabel = kChild | WS_GROUP;
inline constexpr std::uint32_t kPushButton = kChild | WS_TABSTOP;
inline constexpr std::uint32_t kDataBox = kChild | WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
inline constexpr std::uint32_t kBitmapLink = kChild | SS_NOTIFY | SS_BITMAP;

inline constexpr ControlTemplate kMainDialogControls[] = {
    {IDC_DEVICES, "IDC_DEVICES", kClassComboBox, nullptr, 12, 18, 162, 30,
     kChild | WS_VSCROLL | WS_TABSTOP | CBS_SORT | CBS_DROPDOWN, 0, "Select device",
     "The FTDI programmers attached; a serial number typed here connects to one not listed"},
    {IDC_CONNECT, "IDC_CONNECT", kClassMfcButton, "Connect", 192, 18, 50, 14, kPushButton, 0, nullptr,
     "Opens the selected programmer"},
    {IDC_PROGRESS, "IDC_PROGRESS", kClassProgress, nullptr, 12, 120, 162, 14, kChild | WS_BORDER, 0, "Progress",
     "Bits of the chip read so far, of 128"},
    {1006, nullptr, kClassStatic, "Select device:", 12, 6, 46, 8, kLabel, IDC_DEVICES},
    {IDC_CHIP_DATA, "IDC_CHIP_DATA", kClassEdit, nullptr, 12, 48, 162, 14, kDataBox, 0, "Chip data",
     "The 128 bits last read from the chip, as two groups of 16 hexadecimal digits"},
    {IDC_BUFFER_DATA, "IDC_BUFFER_DATA", kClassEdit, nullptr, 12, 84, 162, 14, kDataBox, 0, "Buffer data",
     "The 128 bits of the image file last opened, as two groups of 16 hexadecimal digits"},
    {1009, nullptr, kClassStatic, "Chip data:", 12, 36, 34, 8, kLabel, IDC_CHIP_DATA},
    {1010, nullptr, kClassStatic, "Buffer data:", 12, 72, 40, 8, kLabel, IDC_BUFFER_DATA},
    {IDC_READ_CHIP, "IDC_READ_CHIP", kClassButton, "Read chip", 192, 48, 50, 14, kPushButton, 0, nullptr,
     "Reads the 128 bits of the chip in the programmer, in about four seconds"},
    {IDC_SAVE_DATA, "IDC_SAVE_DATA", kClassButton, "Save data", 192, 66, 50, 14, kPushButton, 0, nullptr,
     "Saves the chip data to an image file in the MAME layout"},
    {IDC_COMPARE, "IDC_COMPARE", kClassButton, "Compare", 192, 102, 50, 14, kPushButton, 0, nullptr,
     "Tells whether the chip data and the buffer data are equal"},
    {IDC_OPEN_FILE, "IDC_OPEN_FILE", kClassButton, "Open file", 192, 84, 50, 14, kPushButton, 0, nullptr,
     "Opens an image file into the buffer, in the MAME layout unless it is named *.nss"},
    {1016, nullptr, kClassStatic, "Progress:", 12, 108, 32, 8, kLabel, IDC_PROGRESS},
    {IDC_DONATE, "IDC_DONATE", kClassStatic, nullptr, 192, 121, 49, 13, kBitmapLink, 0, "Donate",
     "Opens the donation page in the web browser"},
};

inline constexpr DialogTemplate kMainDialog = {IDD_QUARROW_DIALOG, "IDD_QUARROW_DIALOG", "Quarrow",
                                               261, 159, kMainDialogControls};

// The mail and web statics show the build's configured addresses, so their text is set at run time.
inline constexpr ControlTemplate kAboutDialogControls[] = {
    {IDOK, "IDOK", kClassButton, "OK", 12, 84, 50, 14, kPushButton | BS_DEFPUSHBUTTON},
    {1017, nullptr, kClassStatic, "Quarrow v2.0", 12, 12, 84, 8, kLabel},
    {1019, nullptr, kClassStatic, "Copyright 2024 the Quarrow authors", 12, 24, 108, 8, kLabel},
    {IDC_ABOUT_WEB, "IDC_ABOUT_WEB", kClassStatic, nullptr, 78, 36, 38, 8, kLabel | SS_NOTIFY, 0, nullptr,
     "Opens the web site in the web browser"},
    {IDC_ABOUT_MAIL, "IDC_ABOUT_MAIL", kClassStatic, nullptr, 12, 36, 42, 8, kLabel | SS_NOTIFY, 0, nullptr,
     "Writes to this support address with the mail program"},
    {IDC_ABOUT_DONATE, "IDC_ABOUT_DONATE", kClassStatic, nullptr, 84, 85, 49, 13, kBitmapLink, 0, "Donate",
     "Opens the donation page in the web browser"},
    {IDC_ABOUT_NOTE, nullptr, kClassStatic,
     "This software is free to use, but if you would like to make a donation you can click on the "
     "button below",
     12, 48, 132, 24, kLabel},
};

inline constexpr DialogTemplate kAboutDialog = {IDD_ABOUT, "IDD_ABOUT", "About", 165, 105,
                                                kAboutDialogControls};

// Menu IDR_MAINMENU: pop-ups in bar order, each with its items; a null text is a separator.
struct MenuItemTemplate {
  const char* text;
  int command;
  const char* name;
};

struct MenuPopupTemplate {
  const char* text;
  std::span<const MenuItemTemplate> items;
};

inline constexpr MenuItemTemplate kFileMenuItems[] = {
    {"&Open...", ID_FILE_OPEN, "ID_FILE_OPEN"},
    {"Open NSS...", ID_FILE_OPENNSS, "ID_FILE_OPENNSS"},
    {"&Save as...", ID_FILE_SAVEAS, "ID_FILE_SAVEAS"},
    {"Save as NSS...", ID_FILE_SAVEASNSS, "ID_FILE_SAVEASNSS"},
    {"Programmer &wiring...", ID_FILE_WIRING, "ID_FILE_WIRING"},
    {nullptr, 0, nullptr},
    {"E&xit", ID_FILE_EXIT, "ID_FILE_EXIT"},
};

inline constexpr MenuItemTemplate kHelpMenuItems[] = {
    {"&Details...", ID_HELP_DETAILS, "ID_HELP_DETAILS"},
    {"About", ID_HELP_ABOUT, "ID_HELP_ABOUT"},
};

inline constexpr MenuPopupTemplate kMainMenu[] = {
    {"File", kFileMenuItems},
    {"Help", kHelpMenuItems},
};

// Texts of the data boxes before any read or open: the text forms of the two images' start values.
inline constexpr const char* kInitialChipText = "0000000000000000 0000000000000000";
inline constexpr const char* kInitialBufferText = "FFFFFFFFFFFFFFFF FFFF0000FFFF0000";

// The data boxes' monospaced font: a 10-pixel em, about the 12-pixel cell that Windows asks for,
// when the window's own font has the 9 points that Windows and Qt use by default; it grows and
// shrinks with the window's font, so that a person who enlarges the desktop's text gets larger data.
inline constexpr int kDataFontPixels = 10;
inline constexpr double kDataFontReferencePoints = 9.0;

// File dialogs: every dialog offers the same two filters; saves add this suffix to a bare name.
inline constexpr const char* kFilterMame = "MAME RP5H01 RPOM files (*.prm)";
inline constexpr const char* kFilterAll = "All Files (*)";
inline constexpr const char* kDefaultSaveSuffix = "bin";

// Qt resource paths of the artwork.
inline constexpr const char* kIconResourceFormat = ":/quarrow/icon-%1.png";
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128};
inline constexpr const char* kDonateResource = ":/quarrow/donate.png";

}  // namespace quarrow::res
