#include "tests/win/support/LoopbackServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    size_t e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

RecordedRequest Parse(const std::string& head, const std::string& body) {
    RecordedRequest r;
    r.raw = head + body;
    r.body = body;
    size_t lineEnd = head.find("\r\n");
    std::string line = head.substr(0, lineEnd);
    size_t sp1 = line.find(' ');
    size_t sp2 = line.rfind(' ');
    if (sp1 != std::string::npos && sp2 > sp1) {
        r.method = line.substr(0, sp1);
        r.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
        r.version = line.substr(sp2 + 1);
    }
    size_t pos = lineEnd + 2;
    r.headerBlock = head.substr(std::min(pos, head.size()));
    if (r.headerBlock.size() >= 2)
        r.headerBlock.resize(r.headerBlock.size() - 2); // the empty line ending the head
    while (pos < head.size()) {
        size_t end = head.find("\r\n", pos);
        if (end == std::string::npos || end == pos)
            break;
        std::string h = head.substr(pos, end - pos);
        size_t colon = h.find(':');
        if (colon != std::string::npos)
            r.headers.emplace_back(h.substr(0, colon), Trim(h.substr(colon + 1)));
        pos = end + 2;
    }
    return r;
}

} // namespace

ScriptedResponse ScriptedResponse::Ok(const std::string& body, const std::string& contentType) {
    ScriptedResponse r;
    r.headers.push_back("Content-Type: " + contentType);
    r.headers.push_back("Content-Length: " + std::to_string(body.size()));
    r.body.push_back({body, 0});
    return r;
}

ScriptedResponse ScriptedResponse::Status(int code, const std::string& reason) {
    ScriptedResponse r;
    r.statusLine = "HTTP/1.1 " + std::to_string(code) + " " + reason;
    r.headers.push_back("Content-Length: 0");
    return r;
}

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& h : headers)
        if (Lower(h.first) == Lower(name))
            return h.second;
    return std::string();
}

bool RecordedRequest::HasHeader(const std::string& name) const {
    for (const auto& h : headers)
        if (Lower(h.first) == Lower(name))
            return true;
    return false;
}

CLoopbackServer::CLoopbackServer() {
    m_default = ScriptedResponse::Status(404, "Not Found");
}

CLoopbackServer::~CLoopbackServer() {
    Stop();
}

bool CLoopbackServer::Start() {
    if (m_thread.joinable())
        return true;
    WSADATA data;
    if (!m_wsa) {
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
            return false;
        m_wsa = true;
    }
    m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_listen == INVALID_SOCKET)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int len = sizeof addr;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listen, 16) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::closesocket(m_listen);
        m_listen = INVALID_SOCKET;
        return false;
    }
    m_port = ntohs(addr.sin_port);
    m_stopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void CLoopbackServer::Stop() {
    if (m_thread.joinable()) {
        ::SetEvent(m_stopEvent);
        m_thread.join();
    }
    if (m_listen != INVALID_SOCKET) {
        ::closesocket(m_listen);
        m_listen = INVALID_SOCKET;
    }
    if (m_stopEvent) {
        ::CloseHandle(m_stopEvent);
        m_stopEvent = nullptr;
    }
    if (m_wsa) {
        ::WSACleanup();
        m_wsa = false;
    }
}

std::string CLoopbackServer::Url(const std::string& pathAndQuery) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + pathAndQuery;
}

void CLoopbackServer::Enqueue(ScriptedResponse response) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back(std::move(response));
}

void CLoopbackServer::SetDefault(ScriptedResponse response) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_default = std::move(response);
}

std::vector<RecordedRequest> CLoopbackServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

size_t CLoopbackServer::RequestCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests.size();
}

size_t CLoopbackServer::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connections;
}

bool CLoopbackServer::Pause(DWORD ms) {
    return ms == 0 || ::WaitForSingleObject(m_stopEvent, ms) == WAIT_TIMEOUT;
}

void CLoopbackServer::Serve() {
    // Nothing may leave a thread entry.
    try {
        for (;;) {
            if (::WaitForSingleObject(m_stopEvent, 0) == WAIT_OBJECT_0)
                return;
            fd_set set;
            FD_ZERO(&set);
            FD_SET(m_listen, &set);
            timeval tv{0, 50000};
            if (::select(0, &set, nullptr, nullptr, &tv) <= 0)
                continue;
            SOCKET s = ::accept(m_listen, nullptr, nullptr);
            if (s == INVALID_SOCKET)
                continue;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                ++m_connections;
            }
            HandleConnection(s);
            ::closesocket(s);
        }
    } catch (...) {
    }
}

bool CLoopbackServer::SendAll(SOCKET s, const char* data, size_t size) {
    while (size > 0) {
        int n = ::send(s, data, static_cast<int>(std::min<size_t>(size, 1 << 20)), 0);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void CLoopbackServer::HandleConnection(SOCKET s) {
    // Read the head, then as many body bytes as its Content-Length names.
    std::string received;
    size_t headEnd = std::string::npos;
    char buffer[65536];
    DWORD timeout = 10000;
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    while ((headEnd = received.find("\r\n\r\n")) == std::string::npos) {
        int n = ::recv(s, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        received.append(buffer, n);
    }
    std::string head = received.substr(0, headEnd + 4);
    RecordedRequest probe = Parse(head, "");
    size_t bodyLength =
        static_cast<size_t>(std::strtoull(probe.Header("Content-Length").c_str(), nullptr, 10));
    std::string body = received.substr(headEnd + 4);
    while (body.size() < bodyLength) {
        int n = ::recv(s, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        body.append(buffer, n);
    }

    ScriptedResponse response;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(Parse(head, body));
        if (!m_queue.empty()) {
            response = std::move(m_queue.front());
            m_queue.pop_front();
        } else {
            response = m_default;
        }
    }
    if (response.dropWithoutAnswer)
        return;
    if (!Pause(response.pauseBeforeHeadersMs))
        return;

    std::string out = response.statusLine + "\r\n";
    for (const auto& h : response.headers)
        out += h + "\r\n";
    out += "\r\n";
    if (!SendAll(s, out.data(), out.size()))
        return;

    long long budget = response.closeAfterBodyBytes;
    auto sendBody = [&](const char* data, size_t size) {
        if (budget >= 0 && static_cast<long long>(size) > budget)
            size = static_cast<size_t>(budget);
        if (size > 0 && !SendAll(s, data, size))
            return false;
        if (budget >= 0) {
            budget -= static_cast<long long>(size);
            if (budget == 0)
                return false;
        }
        return true;
    };
    bool open = true;
    for (const auto& piece : response.body) {
        if (!Pause(piece.pauseBeforeMs) || !(open = sendBody(piece.bytes.data(), piece.bytes.size())))
            break;
    }
    if (open && response.generatedBytes > 0) {
        std::vector<char> block(std::max<size_t>(response.generatedBlock, 1));
        for (uint64_t sent = 0; open && sent < response.generatedBytes;) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), response.generatedBytes - sent));
            for (size_t i = 0; i < n; ++i)
                block[i] = static_cast<char>(PatternByte(sent + i));
            open = sendBody(block.data(), n);
            sent += n;
        }
    }
    if (open && response.holdOpenMs > 0)
        Pause(response.holdOpenMs);
    ::shutdown(s, SD_SEND);
}
