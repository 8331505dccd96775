// resource.h: the IDs of the program's resources, shared by the resource script and the code.
#pragma once

// Templates, icon and strings.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_ZENDRIX_DIALOG 102
#define IDR_MAINFRAME 128

// System-menu command of the About item; the low four bits of a system command belong to Windows.
#define IDM_ABOUTBOX 0x0010

// Controls of the main window. Each radio group is contiguous: its index counts from the first ID.
#define IDC_MODE_SINGLE 1002
#define IDC_MODE_BATCH 1003
#define IDC_SIMPLIFIED_TEXT 1006
#define IDC_TRADITIONAL_TEXT 1007
#define IDC_DIRECTION_TO_TRADITIONAL 1008
#define IDC_DIRECTION_TO_SIMPLIFIED 1009
#define IDC_SOURCE_PATH 1011
#define IDC_DEST_PATH 1012
#define IDC_TO_TRADITIONAL 1013
#define IDC_TO_SIMPLIFIED 1014
#define IDC_BROWSE_SOURCE 1015
#define IDC_BROWSE_DEST 1016
#define IDC_ABOUT 1017
#define IDC_FILTER 1018
#define IDC_START 1021
#define IDC_STOP 1022
#define IDC_PROGRESS 1023
#define IDC_BY_WORDS 1024
#define IDC_REGION 1025
#define IDC_OUTPUT_ENCODING 1026
#define IDC_CONVERT_NAMES 1027
// "关闭" uses the standard IDCLOSE (8).
