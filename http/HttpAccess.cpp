#include "http/HttpAccess.h"

#include "framework/WinInetApi.h"

#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

#include "framework/Handle.h"
#include "framework/Text.h"
#include "http/BodyReader.h"
#include "http/HttpAccessSession.h"
#include "http/InternetFailure.h"
#include "http/RequestText.h"
#include "util/SystemError.h"

namespace {

constexpr DWORD kMaxReadBufferSize = 1048576;
constexpr DWORD kUrlBufferSize = 2084; // INTERNET_MAX_URL_LENGTH + 1
constexpr DWORD kIgnoredCertificateFaults =
    SECURITY_FLAG_IGNORE_REVOCATION | SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_WRONG_USAGE |
    SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
static_assert(kIgnoredCertificateFaults == 0x3380, "certificate faults accepted");
// Strict or not, a revocation lookup that cannot be made is no fault: offices that are offline or
// behind a proxy would otherwise fail every request. A certificate that is itself wrong still fails.
constexpr DWORD kIgnoredWhenStrict = SECURITY_FLAG_IGNORE_REVOCATION;
#ifndef PLMO_STRICT_TLS
#define PLMO_STRICT_TLS 0
#endif
constexpr DWORD kSetCookieBufferSize = 4096;
// The receive time-out of Windows' internet library (versions 7 and later) when nobody set one.
constexpr DWORD kLibraryDefaultReceiveTimeoutMs = 30000;

// The receive time-out the library applies when nobody sets one; 0 when it has none (or does not
// say).
DWORD LibraryReceiveTimeout(HINTERNET connection) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!WinInet().InternetQueryOptionA(connection, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, &size))
        return 0;
    return value == INFINITE ? 0 : value;
}

struct ParsedUrl {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    std::string host;
    INTERNET_PORT port = 0;
    std::string object; // path and query
};

bool Canonicalize(const std::string& url, std::string& canonical) {
    std::vector<char> buffer(kUrlBufferSize);
    DWORD size = kUrlBufferSize;
    if (!WinInet().InternetCanonicalizeUrlA(url.c_str(), buffer.data(), &size, ICU_BROWSER_MODE)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
            return false;
        // Once more with the size the library asked for (some versions count the zero, some not).
        buffer.assign(size + 1, '\0');
        size = static_cast<DWORD>(buffer.size());
        if (!WinInet().InternetCanonicalizeUrlA(url.c_str(), buffer.data(), &size, ICU_BROWSER_MODE))
            return false;
    }
    canonical.assign(buffer.data(), std::min<size_t>(size, buffer.size()));
    canonical.resize(std::strlen(canonical.c_str()));
    return true;
}

bool Crack(const std::string& url, ParsedUrl& parsed) {
    std::vector<char> host(kUrlBufferSize), path(kUrlBufferSize), extra(kUrlBufferSize);
    URL_COMPONENTSA uc{};
    uc.dwStructSize = sizeof uc;
    uc.lpszHostName = host.data();
    uc.dwHostNameLength = kUrlBufferSize;
    uc.lpszUrlPath = path.data();
    uc.dwUrlPathLength = kUrlBufferSize;
    uc.lpszExtraInfo = extra.data();
    uc.dwExtraInfoLength = kUrlBufferSize;
    if (!WinInet().InternetCrackUrlA(url.c_str(), 0, 0, &uc))
        return false;
    parsed.scheme = uc.nScheme;
    parsed.host = host.data();
    parsed.port = uc.nPort;
    parsed.object = std::string(path.data()) + extra.data();
    if (parsed.object.size() >= kUrlBufferSize)
        return false;
    if (parsed.object.empty())
        parsed.object = "/";
    return true;
}

// Reads a header as text; false when absent or unreadable.
bool QueryText(HINTERNET request, DWORD level, std::string& value) {
    DWORD size = 0;
    if (WinInet().HttpQueryInfoA(request, level, nullptr, &size, nullptr) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return false;
    std::vector<char> buffer(size + 1, '\0');
    size = static_cast<DWORD>(buffer.size());
    if (!WinInet().HttpQueryInfoA(request, level, buffer.data(), &size, nullptr))
        return false;
    value.assign(buffer.data(), std::min<size_t>(size, buffer.size()));
    value.resize(std::strlen(value.c_str()));
    return true;
}

class CRequestBodySource : public http::IBodySource {
public:
    CRequestBodySource(HINTERNET request, const CHttpAccessSession& session)
        : m_hRequest(request), m_session(session) {}
    bool Read(unsigned char* buffer, uint32_t max, uint32_t& received) override {
        received = 0;
        if (m_bFailed)
            return false;
        DWORD n = 0;
        BOOL ok = WinInet().InternetReadFile(m_hRequest, buffer, max, &n);
        received = std::min<DWORD>(n, max);
        if (!ok) {
            // Some library versions fail a read (a time-out) with bytes delivered: keep them and
            // report the failure on the next read.
            m_bFailed = true;
            return received > 0;
        }
        // A synchronous read that succeeds with nothing is the end of the response data.
        if (n == 0)
            m_bEndOfData = true;
        return true;
    }
    // Some library versions do not notify the close of a connection that ended a body of
    // unannounced length; their end of data says the same.
    bool IsConnectionClosed() const override { return m_session.m_bConnectionClosed == 1 || m_bEndOfData; }

private:
    HINTERNET m_hRequest;
    const CHttpAccessSession& m_session;
    bool m_bEndOfData = false;
    bool m_bFailed = false;
};

// A body that found no memory reads the same in both modes, and not as a status: the system's text.
void RecordOutOfMemory(DWORD& lastError, std::string& error) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    error.clear();
    FormatSystemError(ERROR_NOT_ENOUGH_MEMORY, error);
}

} // namespace

// Offers the open request handle to the subclass for as long as the request runs. Declared
// after the request handle, so it is gone before that handle closes; a handle another thread
// took over is released instead of closed twice.
class CActiveRequest {
public:
    CActiveRequest(CHttpAccess& owner, CInternetHandle& request) : m_owner(owner), m_request(request) {
        if (!m_owner.OnRequestOpened(m_request.Get())) {
            m_owner.m_bRequestCancelled = true;
            throw CInternetFailure(ERROR_INTERNET_OPERATION_CANCELLED);
        }
    }
    ~CActiveRequest() {
        if (!m_owner.OnRequestClosing(m_request.Get())) {
            m_request.Release();
            m_owner.m_bRequestCancelled = true;
        }
    }
    CActiveRequest(const CActiveRequest&) = delete;
    CActiveRequest& operator=(const CActiveRequest&) = delete;

private:
    CHttpAccess& m_owner;
    CInternetHandle& m_request;
};

// Connects the transfer loop to the object's fields and hooks. The binary body grows in its own
// block; the fields point at it while the transfer runs and get the exact block when it ends, on
// every way out.
class CBodyTransfer : public http::IBodyHooks {
public:
    CBodyTransfer(CHttpAccess& owner, bool textMode) : m_owner(owner), m_bText(textMode) {}
    ~CBodyTransfer() override {
        if (m_bText)
            return;
        m_owner.m_dwDataSize = m_body.Size();
        m_owner.m_pData = m_body.Finish();
    }
    CBodyTransfer(const CBodyTransfer&) = delete;
    CBodyTransfer& operator=(const CBodyTransfer&) = delete;

    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
    void OnData() override {
        if (!m_bText) {
            m_owner.m_pData = m_body.Data();
            m_owner.m_dwDataSize = m_body.Size();
        }
        m_owner.OnProgress(m_owner.m_dwDataSize, m_owner.m_dwContentLength);
    }
    bool IsAbortRequested() override { return m_owner.IsAbortRequested() == 1; }

    http::CBinaryBody m_body;

private:
    CHttpAccess& m_owner;
    bool m_bText;
};

CHttpAccess::CHttpAccess() : m_bStrictTls(PLMO_STRICT_TLS != 0) {}

const char* const CHttpAccess::kPlainHttpRefused = "暗号化されていない接続（http）は許可されていません。";

CHttpAccess::~CHttpAccess() {
    ResetResponse();
}

void CHttpAccess::OnStatus(DWORD_PTR, DWORD, LPVOID, DWORD) {}
void CHttpAccess::OnProgress(DWORD, DWORD) {}
int CHttpAccess::IsAbortRequested() {
    return 0;
}
bool CHttpAccess::OnRequestOpened(void*) {
    return true;
}
bool CHttpAccess::OnRequestClosing(void*) {
    return true;
}

void CHttpAccess::SetUserAgent(const std::string& agent) {
    m_strUserAgent = agent;
}

void CHttpAccess::SetReadBufferSize(DWORD bytes) {
    if (bytes <= kMaxReadBufferSize)
        m_dwReadBufferSize = bytes;
}

void CHttpAccess::ResetResponse() {
    m_dwStatusCode = 0;
    m_strResponse.clear();
    m_strRawHeaders.clear();
    m_strCookie.clear();
    m_strContentType.clear();
    m_strError.clear();
    m_dwContentLength = 0;
    m_bHasContentLength = 0;
    m_bHasTransferEncoding = 0;
    m_dwSendTime = 0;
    m_dwReceiveTime = 0;
    m_stDateLocal = SYSTEMTIME{};
    m_stDate = SYSTEMTIME{};
    std::free(m_pData);
    m_pData = nullptr;
    m_dwDataSize = 0;
    m_dwLastError = 0;
}

bool CHttpAccess::HttpGetText(const char* url, const char* cookie, const char* headers) {
    return ExecuteRequest(url, 1, cookie, headers, 1);
}

bool CHttpAccess::HttpGetBinary(const char* url, const char* cookie, const char* headers) {
    return ExecuteRequest(url, 1, cookie, headers, 0);
}

bool CHttpAccess::HttpPostText(const char* url, const char* cookie, const char* headers) {
    return ExecuteRequest(url, 0, cookie, headers, 1);
}

int CHttpAccess::HeaderContains(const std::string& headerText, const std::string& name) {
    return http::HeaderContains(headerText, name) ? 1 : 0;
}

bool CHttpAccess::ExecuteRequest(const char* url, int method, const char* cookie, const char* headers,
                                 int textMode) {
    ResetResponse();
    m_bRequestCancelled = false;
    bool result = false;
    if (!url)
        return result;
    if (!WinInet().ok) {
        // No internet library in the system folder: say so instead of failing without a word.
        m_dwLastError = ERROR_MOD_NOT_FOUND;
        m_strError = SystemErrorText(ERROR_MOD_NOT_FOUND);
        return result;
    }
    const std::string extraCookie = cookie && *cookie ? cookie : "";
    const std::string extraHeaders = headers && *headers ? headers : "";

    const std::string target = http::EscapeEncodedLineBreaks(url);
    std::string canonical;
    ParsedUrl parsed;
    if (!Canonicalize(target, canonical) || !Crack(canonical, parsed))
        return result;

    DWORD requestFlags;
    // A build that demands sound certificates would gain nothing if an answer could still come
    // unprotected: whoever sits on the way could then hand over any installer.
    if (parsed.scheme == INTERNET_SCHEME_HTTP && m_bStrictTls) {
        m_strError = kPlainHttpRefused;
        return result;
    }
    if (parsed.scheme == INTERNET_SCHEME_HTTP)
        requestFlags = INTERNET_FLAG_EXISTING_CONNECT;
    else if (parsed.scheme == INTERNET_SCHEME_HTTPS)
        requestFlags = INTERNET_FLAG_SECURE;
    else
        return result;
    if (m_bNoCookies == 1)
        requestFlags |= INTERNET_FLAG_NO_COOKIES;
    // The session's no-cache flag does not reach its requests in every library version: each
    // installer was kept a second time in the user's URL cache, outside the temporary folder and
    // never removed, and an entry another program left could stand in for the service's answer.
    requestFlags |= INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD;

    try {
        // Declared in opening order, so they close request first, then connection, then session.
        std::string proxy;
        if (m_bUseProxy)
            proxy = text::Format("%s:%d", m_strProxyServer.c_str(), m_nProxyPort);
        CHttpAccessSession session(this, m_strUserAgent,
                                   m_bUseProxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_PRECONFIG,
                                   m_bUseProxy ? proxy.c_str() : nullptr, INTERNET_FLAG_NO_CACHE_WRITE);
        session.EnableStatusCallback();
        if (m_dwConnectTimeout != 0) {
            DWORD timeout = m_dwConnectTimeout;
            WinInet().InternetSetOptionExA(session.Handle(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout,
                                           sizeof timeout, 0);
        }

        CInternetHandle connection(WinInet().InternetConnectA(
            session.Handle(), parsed.host.c_str(), parsed.port, m_bUseLogin ? m_strUserName.c_str() : nullptr,
            m_bUseLogin ? m_strPassword.c_str() : nullptr, INTERNET_SERVICE_HTTP, 0, 1));
        if (!connection)
            ThrowLastInternetError();

        CInternetHandle request(WinInet().HttpOpenRequestA(connection.Get(), method == 0 ? "POST" : "GET",
                                                           parsed.object.c_str(), "HTTP/1.0", nullptr,
                                                           nullptr, requestFlags, 1));
        if (!request)
            ThrowLastInternetError();
        CActiveRequest active(*this, request);

        DWORD security = 0;
        DWORD securitySize = sizeof security;
        WinInet().InternetQueryOptionA(request.Get(), INTERNET_OPTION_SECURITY_FLAGS, &security,
                                       &securitySize);
        security |= m_bStrictTls ? kIgnoredWhenStrict : kIgnoredCertificateFaults;
        WinInet().InternetSetOptionA(request.Get(), INTERNET_OPTION_SECURITY_FLAGS, &security,
                                     sizeof security);

        // The head keeps the library's own wait: a service page may take long to answer. Only a
        // library that has no wait of its own gets the one Windows' library has, since some
        // versions take the receive time-out only as the head begins and would then never end a
        // silent body (see BoundBodySilence).
        if (LibraryReceiveTimeout(connection.Get()) == 0) {
            DWORD headWait = kLibraryDefaultReceiveTimeoutMs;
            WinInet().InternetSetOptionA(request.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &headWait,
                                         sizeof headWait);
        }

        if (!extraHeaders.empty())
            WinInet().HttpAddRequestHeadersA(request.Get(), extraHeaders.c_str(),
                                             static_cast<DWORD>(extraHeaders.size()),
                                             HTTP_ADDREQ_FLAG_ADD_IF_NEW);

        const bool keepAlive = m_bKeepAlive != 0;
        std::string sendHeaders;
        std::string body;
        if (method == 0) {
            sendHeaders = http::ComposePostHeaders(keepAlive, extraCookie);
            body = http::PostBodyFromObject(parsed.object);
        } else {
            sendHeaders = http::ComposeGetHeaders(keepAlive, extraCookie);
        }
        const DWORD before = ::GetTickCount();
        BOOL sent = WinInet().HttpSendRequestA(
            request.Get(), sendHeaders.empty() ? nullptr : sendHeaders.c_str(),
            static_cast<DWORD>(sendHeaders.size()), method == 0 ? const_cast<char*>(body.data()) : nullptr,
            method == 0 ? static_cast<DWORD>(body.size()) : 0);
        const DWORD after = ::GetTickCount();
        m_dwSendTime = http::ElapsedTicks(after, before);
        if (!sent)
            ThrowLastInternetError();
        BoundBodySilence(request.Get());

        std::string status;
        if (QueryText(request.Get(), HTTP_QUERY_STATUS_CODE, status))
            m_dwStatusCode = static_cast<DWORD>(text::AtoI(status));
        QueryServerDate(request.Get(), &m_stDate, &m_stDateLocal);
        // A connection that ended without a status line is a failure with an explanation, not
        // a silent one.
        if (m_dwStatusCode == 0)
            throw CInternetFailure(ERROR_INTERNET_CONNECTION_ABORTED);
        if (m_dwStatusCode != HTTP_STATUS_OK)
            return result;

        ReadResponseMetadata(request.Get());
        const DWORD readStart = ::GetTickCount();
        result = ReadBody(session, textMode, request.Get(), m_bHasContentLength, m_dwContentLength,
                          m_dwWaitWithLength, m_dwWaitWithoutLength);
        m_dwReceiveTime = http::ElapsedTicks(::GetTickCount(), readStart);
    } catch (const CInternetFailure& failure) {
        m_dwLastError = failure.m_dwError;
        m_strError = InternetErrorText(failure.m_dwError);
        result = false;
    } catch (const std::exception&) {
        RecordOutOfMemory(m_dwLastError, m_strError);
        result = false;
    }
    // A body that was complete when the cancel came still counts as cancelled.
    if (m_bRequestCancelled)
        result = false;
    return result;
}

int CHttpAccess::QueryServerDate(void* request, SYSTEMTIME* gmt, SYSTEMTIME* local) {
    SYSTEMTIME st{};
    DWORD size = sizeof st;
    if (!WinInet().HttpQueryInfoA(static_cast<HINTERNET>(request),
                                  HTTP_QUERY_DATE | HTTP_QUERY_FLAG_SYSTEMTIME, &st, &size, nullptr))
        return 0;
    *gmt = st;
    FILETIME utc{}, localTime{};
    SYSTEMTIME converted{};
    if (::SystemTimeToFileTime(&st, &utc) && ::FileTimeToLocalFileTime(&utc, &localTime) &&
        ::FileTimeToSystemTime(&localTime, &converted))
        *local = converted;
    return 1;
}

void CHttpAccess::BoundBodySilence(void* request) {
    // Windows' library takes the time-out at every receive; Wine's takes it only as the head
    // begins, and keeps the head's wait for the body.
    DWORD silence = std::max(m_dwWaitWithLength, m_dwWaitWithoutLength) + http::kIdleWaitMs;
    WinInet().InternetSetOptionA(static_cast<HINTERNET>(request), INTERNET_OPTION_RECEIVE_TIMEOUT, &silence,
                                 sizeof silence);
}

void CHttpAccess::ReadResponseMetadata(void* requestHandle) {
    HINTERNET request = static_cast<HINTERNET>(requestHandle);
    QueryText(request, HTTP_QUERY_RAW_HEADERS_CRLF, m_strRawHeaders);
    QueryText(request, HTTP_QUERY_CONTENT_TYPE, m_strContentType);
    DWORD length = 0;
    DWORD size = sizeof length;
    if (WinInet().HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                                 nullptr))
        m_dwContentLength = length;
    m_bHasContentLength = HeaderContains(m_strRawHeaders, "Content-Length:");
    m_bHasTransferEncoding = HeaderContains(m_strRawHeaders, "Transfer-Encoding:");

    std::vector<char> cookie(kSetCookieBufferSize, '\0');
    DWORD cookieSize = kSetCookieBufferSize;
    if (WinInet().HttpQueryInfoA(request, HTTP_QUERY_SET_COOKIE, cookie.data(), &cookieSize, nullptr)) {
        cookie.back() = '\0';
        m_strCookie = http::CookieFromSetCookie(cookie.data());
    }
}

bool CHttpAccess::ReadBody(CHttpAccessSession& session, int textMode, void* request, int hasLength,
                           DWORD length, DWORD waitWithLength, DWORD waitWithoutLength) {
    m_strResponse.clear();
    std::free(m_pData);
    m_pData = nullptr;
    m_dwDataSize = 0;

    http::BodyRule rule;
    rule.textMode = textMode != 0;
    rule.hasLength = hasLength == 1;
    rule.length = length;
    rule.waitWithLength = waitWithLength;
    rule.waitWithoutLength = waitWithoutLength;
    rule.blockSize = m_dwReadBufferSize;

    CRequestBodySource source(static_cast<HINTERNET>(request), session);
    CBodyTransfer transfer(*this, rule.textMode);
    const bool complete = http::ReadBodyLoop(source, transfer, rule, m_strResponse, transfer.m_body);
    if (!complete && transfer.m_body.OutOfMemory())
        RecordOutOfMemory(m_dwLastError, m_strError);
    return complete;
}
