// The version box, opened from the Version menu item and from the system menu.
#pragma once

#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
};
