// The one HTTP client: one synchronous request at a time over WinINet, everything opened for a
// request closed before it returns. Results stay in the fields until the next request.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CHttpAccessSession;

class CHttpAccess {
public:
    CHttpAccess();
    virtual ~CHttpAccess();
    CHttpAccess(const CHttpAccess&) = delete;
    CHttpAccess& operator=(const CHttpAccess&) = delete;

    // Hooks for subclasses, called on the thread that runs the request.
    virtual void OnStatus(DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength);
    virtual void OnProgress(DWORD received, DWORD contentLength);
    virtual int IsAbortRequested();
    // request is the open request handle, for another thread to close: that is what ends a call
    // the library keeps blocked on a silent server. False ends the request at once.
    virtual bool OnRequestOpened(void* request);
    // Before the request handle is closed. False: another thread took it and closes it; the
    // request then counts as cancelled, whatever it had received.
    virtual bool OnRequestClosing(void* request);

    void SetUserAgent(const std::string& agent);
    void SetReadBufferSize(DWORD bytes); // at most 1 MiB; a larger value is ignored
    void ResetResponse();

    // cookie and headers may be null or empty. True only for status 200 with the whole body read.
    bool HttpGetText(const char* url, const char* cookie, const char* headers);
    bool HttpGetBinary(const char* url, const char* cookie, const char* headers);
    bool HttpPostText(const char* url, const char* cookie, const char* headers);

    DWORD m_dwStatusCode = 0;
    std::string m_strResponse;
    BYTE* m_pData = nullptr;
    DWORD m_dwDataSize = 0;
    std::string m_strRawHeaders;
    std::string m_strCookie;
    int m_bNoCookies = 1;
    std::string m_strContentType;
    DWORD m_dwContentLength = 0;
    int m_bHasContentLength = 0;
    int m_bHasTransferEncoding = 0;
    DWORD m_dwSendTime = 0;
    DWORD m_dwReceiveTime = 0;
    SYSTEMTIME m_stDateLocal{};
    SYSTEMTIME m_stDate{};
    int m_bKeepAlive = 1;
    DWORD m_dwReadBufferSize = 32768;
    DWORD m_dwLastError = 0;
    std::string m_strError;
    DWORD m_dwConnectTimeout = 0;
    DWORD m_dwWaitWithLength = 10000;
    DWORD m_dwWaitWithoutLength = 2000;
    std::string m_strUserAgent;
    int m_bUseProxy = 0;
    int m_bUseLogin = 0;
    std::string m_strProxyServer;
    int m_nProxyPort = 0;
    std::string m_strUserName;
    std::string m_strPassword;
    // Certificate faults of https addresses fail the request (the library's error text) instead of
    // being ignored, and a plain http address fails before anything is sent (kPlainHttpRefused).
    // The build's PLMO_STRICT_TLS gives the default.
    bool m_bStrictTls;
    static const char* const kPlainHttpRefused;

    // 1 when name occurs in headerText in any letter case (a plain substring test), else 0.
    static int HeaderContains(const std::string& headerText, const std::string& name);

protected:
    // One request: method 0 is POST, 1 is GET; textMode 1 keeps the body in m_strResponse.
    bool ExecuteRequest(const char* url, int method, const char* cookie, const char* headers, int textMode);
    // Reads the Date header of request (an open request handle) into both records; 1 when read.
    int QueryServerDate(void* request, SYSTEMTIME* gmt, SYSTEMTIME* local);
    bool ReadBody(CHttpAccessSession& session, int textMode, void* request, int hasLength, DWORD length,
                  DWORD waitWithLength, DWORD waitWithoutLength);

private:
    friend class CActiveRequest;
    void ReadResponseMetadata(void* request);
    // Once the head is in: silence inside the body longer than the longer idle-wait limit fails
    // the read, where a synchronous read would otherwise block for as long as the server is silent.
    void BoundBodySilence(void* request);

    bool m_bRequestCancelled = false; // the last request was ended from outside
};
