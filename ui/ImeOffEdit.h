// The organisation ID field: an edit control that keeps the input method away, so that no
// full-width text can be typed into it (pasted text is still caught by the install check).
#pragma once

#include "framework/Window.h"

class CImeOffEdit : public CEditCtrl {
public:
    void EnableImeOff() { m_bImeOff = 1; }

protected:
    LRESULT OnSubclassMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    int m_bImeOff = 0;
};
