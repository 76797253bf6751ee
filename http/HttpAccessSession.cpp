#include "http/HttpAccessSession.h"

#include "framework/WinInetApi.h"

#include "http/HttpAccess.h"
#include "http/InternetFailure.h"

namespace {
// The session is synchronous, so its notifications arrive on the thread that runs the request;
// each thread knows its own running session.
thread_local CHttpAccessSession* t_current = nullptr;
} // namespace

CHttpAccessSession::CHttpAccessSession(CHttpAccess* owner, const std::string& agent, DWORD accessType,
                                       const char* proxy, DWORD flags)
    : m_pOwner(owner), m_hSession(WinInet().InternetOpenA(agent.c_str(), accessType, proxy, nullptr, flags)) {
    if (!m_hSession)
        ThrowLastInternetError();
    m_pOuter = t_current;
    t_current = this;
}

CHttpAccessSession::~CHttpAccessSession() {
    if (m_bCallbackOn)
        WinInet().InternetSetStatusCallbackA(m_hSession.Get(), nullptr);
    m_hSession.Reset();
    t_current = m_pOuter;
}

void CHttpAccessSession::EnableStatusCallback() {
    if (WinInet().InternetSetStatusCallbackA(m_hSession.Get(), &StatusCallback) ==
        INTERNET_INVALID_STATUS_CALLBACK)
        ThrowLastInternetError();
    m_bCallbackOn = true;
}

void CHttpAccessSession::OnStatusCallback(DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength) {
    if (status == INTERNET_STATUS_CONNECTING_TO_SERVER)
        m_bConnectionClosed = 0;
    else if (status == INTERNET_STATUS_CONNECTION_CLOSED)
        m_bConnectionClosed = 1;
    if (m_pOwner)
        m_pOwner->OnStatus(context, status, info, infoLength);
}

void CALLBACK CHttpAccessSession::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                                                 DWORD infoLength) {
    // Nothing may leave a callback of the library.
    try {
        if (t_current)
            t_current->OnStatusCallback(context, status, info, infoLength);
    } catch (...) {
    }
}
