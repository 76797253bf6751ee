// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_LAUNCHER_DIALOG 102
#define IDR_MAINMENU 133
#define IDR_MAINFRAME 128

#define IDS_ABOUTBOX 101
#define IDS_ERR_CHECK_NOSTATUS 104
#define IDS_ERR_CHECK_STATUS 105
#define IDS_ERR_CHECK_BADORG 106
#define IDS_ERR_DOWNLOAD 107
#define IDS_ERR_URL 108
#define IDS_ENTER_ORGID 109
#define IDS_UP_TO_DATE 110
#define IDS_CONFIRM 111
#define IDS_INSTALL_DONE 112
#define IDS_ERR_PARAMS 113
#define IDS_FULLWIDTH 114
// The publisher check of downloaded installers (115-119 left to the download's own texts).
#define IDS_ERR_SIGNATURE 120
#define IDS_SIG_NONE 121
#define IDS_SIG_BAD_DIGEST 122
#define IDS_SIG_UNTRUSTED 123
#define IDS_SIG_NOT_CODE_SIGNING 124
#define IDS_SIG_PUBLISHER 125
#define IDS_SIG_UNCHECKED 126

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
