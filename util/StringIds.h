// Ids of the string table (ui/Strings.rc). They live here, below every room that loads a text by
// its id, so that the service queries, the download worker and the installer run need nothing of
// the user interface above them.
#pragma once

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
#define IDS_INSTALLER_UNPROTECTED 115
#define IDS_INSTALLER_CHANGED 116
// The publisher check of downloaded installers.
#define IDS_ERR_SIGNATURE 120
#define IDS_SIG_NONE 121
#define IDS_SIG_BAD_DIGEST 122
#define IDS_SIG_UNTRUSTED 123
#define IDS_SIG_NOT_CODE_SIGNING 124
#define IDS_SIG_PUBLISHER 125
#define IDS_SIG_UNCHECKED 126
