// standin-service: a small install service for trying the program and for its tests. Listens on
// 127.0.0.1 only, answers each connection on its own thread and closes it after one response.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "StandinService.h"

namespace {

const char* const kUsage =
    "usage: standin-service [--port N] [--port-file FILE] [--catalogue FILE] [--files DIR] [--log FILE]\n"
    "                       [--status Q:CODE] [--empty Q] [--blank Q] [--slow Q:MS] [--drip Q:MS]\n"
    "                       [--reset Q:BYTES] [--stall-headers Q] [--stall-body Q:BYTES] [--length Q:+N|-N]\n"
    "                       [--no-length Q] [--chunked Q] [--hold Q:MS] [--redirect Q:URL] [--raw-answer "
    "Q:FILE]\n"
    "       Q is fp=3, fp=4, fp=5 or files; see README.md\n";

standin::Service g_service;
std::string g_logPath;
std::mutex g_logLock;

void Log(const standin::Request& request) {
    if (g_logPath.empty())
        return;
    std::lock_guard<std::mutex> lock(g_logLock);
    std::ofstream log(g_logPath, std::ios::binary | std::ios::app);
    log << standin::LogLine(request);
}

std::string HeaderValue(const std::string& head, const std::string& name) {
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(tolower(c)); });
    size_t pos = lower.find("\r\n" + name + ":");
    if (pos == std::string::npos)
        return std::string();
    size_t start = head.find_first_not_of(" \t", pos + name.size() + 3);
    size_t end = head.find("\r\n", pos + 2);
    return start == std::string::npos || start >= end ? std::string() : head.substr(start, end - start);
}

// Reads the request head and as much body as Content-Length announces; false for a connection
// that closes or stalls before its head is complete.
bool ReadRequest(SOCKET s, standin::Request& request) {
    std::string data;
    char buf[4096];
    size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0 || data.size() > 65536)
            return false;
        data.append(buf, static_cast<size_t>(n));
    }
    std::string head = data.substr(0, headEnd + 2);
    size_t lineEnd = head.find("\r\n");
    std::string line = head.substr(0, lineEnd);
    // The target runs from the first space to the last one, so an unescaped space stays in it.
    size_t first = line.find(' '), last = line.rfind(' ');
    if (first == std::string::npos)
        return false;
    request.method = line.substr(0, first);
    bool versioned = last > first && line.compare(last + 1, 5, "HTTP/") == 0;
    request.target = versioned ? line.substr(first + 1, last - first - 1) : line.substr(first + 1);
    request.userAgent = HeaderValue(head, "user-agent");
    // The service's bodies are short query texts; a larger announcement is read only this far.
    size_t length =
        std::min<size_t>(std::strtoul(HeaderValue(head, "content-length").c_str(), nullptr, 10), 1 << 20);
    request.body = data.substr(headEnd + 4);
    while (request.body.size() < length) {
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        request.body.append(buf, static_cast<size_t>(n));
    }
    request.body.resize(std::min(request.body.size(), length));
    return true;
}

bool SendAll(SOCKET s, const char* data, size_t size) {
    while (size > 0) {
        int n = send(s, data, static_cast<int>(std::min<size_t>(size, 65536)), 0);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Keeps a connection open without a word until the client gives up (or an hour has passed):
// a server that stalls.
void StaySilent(SOCKET s, DWORD maxMs) {
    char buf[4096];
    DWORD start = GetTickCount();
    while (GetTickCount() - start < maxMs) {
        int n = recv(s, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && WSAGetLastError() != WSAETIMEDOUT))
            return;
    }
}

// Closes with a reset instead of an orderly end.
void AbortConnection(SOCKET s) {
    linger hard{1, 0};
    setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    closesocket(s);
}

const DWORD kStallMs = 3600000;

// Sends the bytes behind the head in pieces, honouring the drip, reset and stall faults; false
// when the connection was reset here (and is closed already).
bool SendWire(SOCKET s, const standin::Response& r, const std::string& wire) {
    size_t piece = r.dripMs > 0 ? 1024 : std::max<size_t>(wire.size(), 1);
    long long cut = r.resetAfter >= 0 ? r.resetAfter : r.stallAfter;
    size_t end = cut >= 0 ? std::min<size_t>(wire.size(), static_cast<size_t>(cut)) : wire.size();
    for (size_t at = 0; at < end; at += piece) {
        if (at > 0)
            Sleep(static_cast<DWORD>(r.dripMs));
        if (!SendAll(s, wire.data() + at, std::min(piece, end - at)))
            return true;
    }
    if (r.resetAfter >= 0) {
        Sleep(100); // let the bytes before the reset reach the client
        AbortConnection(s);
        return false;
    }
    if (r.stallAfter >= 0)
        StaySilent(s, kStallMs);
    return true;
}

void Serve(SOCKET s) {
    try {
        standin::Request request;
        if (ReadRequest(s, request)) {
            Log(request);
            standin::Response r = g_service.Answer(request);
            if (r.delayMs > 0)
                Sleep(static_cast<DWORD>(r.delayMs));
            if (r.stallHeaders) {
                StaySilent(s, kStallMs);
            } else {
                std::string head = standin::ResponseHead(r);
                std::string wire = standin::ResponseWire(r, r.dripMs > 0 ? 1024 : 0);
                if (SendAll(s, head.data(), head.size()) && !SendWire(s, r, wire))
                    return;
                if (r.holdMs > 0)
                    Sleep(static_cast<DWORD>(r.holdMs));
            }
        }
        shutdown(s, SD_SEND);
    } catch (...) {
        // A failed answer costs its connection only.
    }
    closesocket(s);
}

bool WritePortFile(const std::string& path, int port) {
    // Written aside and moved in place, so a reader never sees half a number.
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << port << "\n";
        if (!out)
            return false;
    }
    return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

int Run(int argc, char** argv) {
    int port = 0;
    std::string portFile, cataloguePath;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        std::string value = argv[++i];
        if (arg == "--port")
            port = std::atoi(value.c_str());
        else if (arg == "--port-file")
            portFile = value;
        else if (arg == "--catalogue")
            cataloguePath = value;
        else if (arg == "--files")
            g_service.filesDir = value;
        else if (arg == "--log")
            g_logPath = value;
        else if (!standin::ApplySwitch(arg, value, g_service.overrides)) {
            std::fprintf(stderr, "standin-service: bad switch %s %s\n%s", arg.c_str(), value.c_str(), kUsage);
            return 2;
        }
    }
    std::string error;
    if (!cataloguePath.empty() && !standin::LoadCatalogue(cataloguePath, g_service.catalogue, error)) {
        std::fprintf(stderr, "standin-service: %s\n", error.c_str());
        return 2;
    }

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return 1;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<u_short>(port));
    int len = sizeof addr;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listener, SOMAXCONN) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        std::fprintf(stderr, "standin-service: cannot listen on 127.0.0.1:%d (error %d)\n", port,
                     WSAGetLastError());
        return 1;
    }
    port = ntohs(addr.sin_port);
    g_service.self = "http://127.0.0.1:" + std::to_string(port);
    if (!portFile.empty() && !WritePortFile(portFile, port)) {
        std::fprintf(stderr, "standin-service: cannot write %s\n", portFile.c_str());
        return 1;
    }
    std::printf("standin-service listening on 127.0.0.1:%d\n", port);
    std::fflush(stdout);

    for (;;) {
        SOCKET s = accept(listener, nullptr, nullptr);
        if (s == INVALID_SOCKET)
            continue;
        DWORD timeout = 10000; // a client that stops sending mid-request loses its connection
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        try {
            std::thread(Serve, s).detach();
        } catch (...) {
            closesocket(s);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        return Run(argc, argv);
    } catch (...) {
        std::fputs("standin-service: unexpected failure\n", stderr);
        return 1;
    }
}
