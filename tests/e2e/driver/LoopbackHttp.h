// A small HTTP server on 127.0.0.1 that stands in for the network the program would use: started
// as the program's proxy (http_proxy), it sees every request the program makes, records it and
// answers it with what the test's handler returns. Nothing is ever forwarded anywhere.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

struct CHttpRequest {
    std::string method;
    std::string target;  // as sent: through a proxy the full URL
    std::string headers; // the header lines after the request line, as received
    std::string body;
};

struct CHttpResponse {
    int status = 404;
    std::string body;
};

class CLoopbackHttp {
public:
    using Handler = std::function<CHttpResponse(const CHttpRequest&)>;

    explicit CLoopbackHttp(Handler handler = Handler()); // no handler: every request gets 404
    ~CLoopbackHttp();
    CLoopbackHttp(const CLoopbackHttp&) = delete;
    CLoopbackHttp& operator=(const CLoopbackHttp&) = delete;

    int Port() const { return m_port; }
    std::string ProxyEnvironment() const; // "http_proxy=http://127.0.0.1:<port>"
    std::vector<CHttpRequest> Requests() const;
    size_t RequestCount() const;

private:
    void Serve();
    void HandleConnection(uintptr_t client);

    Handler m_handler;
    uintptr_t m_listener = ~uintptr_t(0);
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_lock;
    std::vector<CHttpRequest> m_requests;
    std::thread m_thread;
};

} // namespace e2e
