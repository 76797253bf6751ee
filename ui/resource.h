// Resource identifiers shared by the resource script and the code.
#pragma once

// The string table's ids live with the lower rooms that load their texts.
#include "util/StringIds.h"

#define IDD_ABOUTBOX 100
#define IDD_LAUNCHER_DIALOG 102
#define IDR_MAINMENU 133
#define IDR_MAINFRAME 128

#define IDC_FORCE_UPDATE 1002
#define IDC_INSTALL 1003
#define IDC_ABORT 1004
#define IDC_PROGRESS 1005
#define IDC_TITLE 1006
#define IDC_STATUS 1007
#define IDC_ORGID_LABEL 1008
#define IDC_ABOUT_VERSION 1010
#define IDC_ABOUT_SERVICE 1011
#define IDC_ORGID 1011

#define IDM_ABOUTBOX 0x0010
#define ID_HELP_VERSION 32772
