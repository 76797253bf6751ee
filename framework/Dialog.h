// Modal dialog base. The static dialog procedure finds the object again through DWLP_USER and
// hands each message to a virtual handler; a handler that returns false leaves the message to the
// system's default dialog processing. No exception ever leaves the dialog procedure.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "framework/Window.h"

class CDialog : public CWindow {
public:
    CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_hParent(parent) {}
    ~CDialog() override = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    INT_PTR DoModal();
    void EndDialog(INT_PTR result) const { ::EndDialog(m_hWnd, result); }
    HWND GetItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // Centres on the work area of the monitor that holds the dialog (or its owner, when it has one).
    void CenterWindow() const;

protected:
    // Binds control members to their controls; runs first in OnInitDialog.
    virtual void DoDataExchange() {}
    virtual BOOL OnInitDialog();
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Commands other than IDOK and IDCANCEL; true when handled.
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/) { return false; }
    virtual bool OnSysCommand(WPARAM /*cmd*/, LPARAM /*lp*/) { return false; }
    virtual bool OnPaint() { return false; }
    virtual HICON OnQueryDragIcon() { return nullptr; }
    // Everything the handlers above do not cover; set result and return true when handled.
    virtual bool OnMessage(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, LRESULT& /*result*/) { return false; }

    // The registered-message entry of the message map: a message id obtained from
    // RegisterWindowMessage, routed to a handler. An id of 0 (registration failed) never matches.
    void MapRegisteredMessage(UINT msg, std::function<LRESULT(WPARAM, LPARAM)> handler);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    UINT m_templateId;
    HWND m_hParent;
    std::vector<std::pair<UINT, std::function<LRESULT(WPARAM, LPARAM)>>> m_registered;
};
