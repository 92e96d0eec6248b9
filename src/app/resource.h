#pragma once

// Resource ids of zimdesk.exe.

#define IDI_ZIMDESK 1
#define IDR_MANIFEST 1

// The four tray arrows.
#define IDI_ARROW_DOWN 2
#define IDI_ARROW_UP 3
#define IDI_ARROW_LEFT 4
#define IDI_ARROW_RIGHT 5

// The tray's popup menu and its commands.
#define IDR_POPUPMENU1 100
#define IDM_SHOW_MONITOR 1001
#define IDM_SHOW_TRAY_ARROWS 1002
#define IDM_ICON_DESKTOPS 1003
#define IDM_ICON_DESKTOP_1 1011
#define IDM_ICON_DESKTOP_2 1012
#define IDM_ICON_DESKTOP_3 1013
#define IDM_ICON_DESKTOP_4 1014
#define IDM_ICON_DESKTOP_5 1015
#define IDM_ICON_DESKTOP_6 1016
#define IDM_STICKY_WINDOWS 1021
#define IDM_OPTIONS 1022
#define IDM_ABOUT 1023
#define IDM_HELP 1024
#define IDM_CLOSE_MONITOR 1025
#define IDM_EXIT 1026
