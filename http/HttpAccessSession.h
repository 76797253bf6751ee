// The internet session of one request. It owns the session handle, routes the status
// notifications of the session and of every handle made from it to its owner, and remembers
// whether the server closed the connection (the end of a body of unannounced length).
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "framework/Handle.h"

class CHttpAccess;

class CHttpAccessSession {
public:
    // Opens the session; raises CInternetFailure when the library refuses.
    CHttpAccessSession(CHttpAccess* owner, const std::string& agent, DWORD accessType, const char* proxy,
                       DWORD flags);
    // Switches the status callback off before the handle closes.
    virtual ~CHttpAccessSession();
    CHttpAccessSession(const CHttpAccessSession&) = delete;
    CHttpAccessSession& operator=(const CHttpAccessSession&) = delete;

    void EnableStatusCallback();
    HINTERNET Handle() const { return m_hSession.Get(); }

    virtual void OnStatusCallback(DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength);

    CHttpAccess* m_pOwner;
    int m_bConnectionClosed = 0;

private:
    static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                                        DWORD infoLength);

    CInternetHandle m_hSession;
    bool m_bCallbackOn = false;
    CHttpAccessSession* m_pOuter = nullptr;
};
