#include "tests/e2e/driver/LoopbackHttp.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <stdexcept>

namespace e2e {

namespace {

struct CWinsock {
    CWinsock() {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~CWinsock() { ::WSACleanup(); }
};

void EnsureWinsock() {
    static CWinsock winsock;
}

const char* ReasonOf(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

CLoopbackHttp::CLoopbackHttp(Handler handler) : m_handler(std::move(handler)) {
    EnsureWinsock();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        throw std::runtime_error("cannot make a socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int len = sizeof addr;
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, 8) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::closesocket(s);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    m_listener = s;
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] {
        try {
            Serve();
        } catch (...) {
        }
    });
}

CLoopbackHttp::~CLoopbackHttp() {
    m_stop = true;
    m_thread.join();
    ::closesocket(m_listener);
}

std::string CLoopbackHttp::ProxyEnvironment() const {
    return "http_proxy=http://127.0.0.1:" + std::to_string(m_port);
}

std::vector<CHttpRequest> CLoopbackHttp::Requests() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_requests;
}

size_t CLoopbackHttp::RequestCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_requests.size();
}

void CLoopbackHttp::Serve() {
    while (!m_stop) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(static_cast<SOCKET>(m_listener), &set);
        timeval tv{0, 50000};
        if (::select(0, &set, nullptr, nullptr, &tv) <= 0)
            continue;
        SOCKET client = ::accept(static_cast<SOCKET>(m_listener), nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        try {
            HandleConnection(client);
        } catch (...) {
            // a handler that throws only loses its own answer
        }
        ::closesocket(client);
    }
}

// One request per connection; the answer closes it.
void CLoopbackHttp::HandleConnection(uintptr_t clientHandle) {
    const SOCKET client = static_cast<SOCKET>(clientHandle);
    DWORD timeout = 5000;
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    std::string data;
    char buf[4096];
    size_t headerEnd;
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
        int n = ::recv(client, buf, sizeof buf, 0);
        if (n <= 0)
            return;
        data.append(buf, n);
    }
    CHttpRequest req;
    const size_t lineEnd = data.find("\r\n");
    const std::string line = data.substr(0, lineEnd);
    const size_t sp1 = line.find(' '), sp2 = line.rfind(' ');
    req.method = line.substr(0, sp1);
    req.target = sp2 > sp1 ? line.substr(sp1 + 1, sp2 - sp1 - 1) : std::string();
    req.headers = data.substr(lineEnd + 2, headerEnd - lineEnd);
    size_t contentLength = 0;
    for (size_t pos = 0; pos < req.headers.size();) {
        size_t eol = req.headers.find("\r\n", pos);
        const std::string h = req.headers.substr(pos, eol - pos);
        if (_strnicmp(h.c_str(), "Content-Length:", 15) == 0)
            contentLength = std::strtoul(h.c_str() + 15, nullptr, 10);
        pos = eol == std::string::npos ? eol : eol + 2;
    }
    req.body = data.substr(headerEnd + 4);
    while (req.body.size() < contentLength) {
        int n = ::recv(client, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        req.body.append(buf, n);
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_requests.push_back(req);
    }
    CHttpResponse resp;
    if (m_handler)
        resp = m_handler(req);
    const std::string head =
        "HTTP/1.1 " + std::to_string(resp.status) + " " + ReasonOf(resp.status) +
        "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(resp.body.size()) +
        "\r\nConnection: close\r\n\r\n";
    const std::string all = head + resp.body;
    for (size_t sent = 0; sent < all.size();) {
        int n = ::send(client, all.data() + sent, static_cast<int>(all.size() - sent), 0);
        if (n <= 0)
            break;
        sent += n;
    }
    ::shutdown(client, SD_SEND);
}

} // namespace e2e
