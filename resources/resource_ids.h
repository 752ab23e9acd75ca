// Identifiers shared by the resource script and the shell. The resource compiler reads only the
// #define lines; C++ reads the typed constants below them, so every number is written once.
#pragma once

// Resources
#define IDR_MAIN_MENU 600
#define IDR_ACCELERATORS 10000
#define IDD_ABOUT 100
#define IDI_VELMORA 1

// Commands
#define IDM_FILE_NEW 200
#define IDM_FILE_OPEN 210
#define IDM_FILE_EXIT 270
#define IDM_HELP_ABOUT 500

// Controls
#define IDC_STATUS_BAR 3000
#define IDC_ABOUT_ICON 3100
#define IDC_ABOUT_NAME 3101
#define IDC_ABOUT_VERSION 3102
#define IDC_ABOUT_PURPOSE 3103
#define IDC_ABOUT_CONTROLS 3104

// Strings (the command help texts use the command ids above)
#define IDS_FILE_SAVE 220
#define IDS_FILE_SAVE_AS 230
#define IDS_FILE_CLOSE 240
#define IDS_FILE_MENU 2000
#define IDS_HELP_MENU 2010
#define IDS_SYSTEM_MENU 2030 // looked up for the system menu; the table has no such entry

#ifndef RC_INVOKED
#include <cstdint>

inline constexpr std::uint16_t main_menu_id = IDR_MAIN_MENU;
inline constexpr std::uint16_t accelerators_id = IDR_ACCELERATORS;
inline constexpr std::uint16_t about_dialog_id = IDD_ABOUT;

inline constexpr std::uint16_t command_new = IDM_FILE_NEW;
inline constexpr std::uint16_t command_open = IDM_FILE_OPEN;
inline constexpr std::uint16_t command_exit = IDM_FILE_EXIT;
inline constexpr std::uint16_t command_about = IDM_HELP_ABOUT;

inline constexpr int status_bar_id = IDC_STATUS_BAR;

inline constexpr std::uint16_t string_system_menu = IDS_SYSTEM_MENU;
#endif
