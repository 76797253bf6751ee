// The version box, opened from the Version menu item and from the system menu.
#pragma once

#include "framework/Dialog.h"
#include "framework/Handle.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;

private:
    CIcon m_icon; // the template's icon at this DPI's size, held while the box shows it
};
