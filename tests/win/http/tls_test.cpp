// https against openssl s_server on loopback (started by ctest, see tls-server.sh) with a
// certificate that is self-signed, expired and made out for another host name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "http/InternetFailure.h"
#include "tests/win/http/HttpTestSupport.h"

namespace {

// The Unix directory of the fixture, seen through Wine's Z: drive.
std::string TlsPort() {
    const char* dir = std::getenv("PLMO_TLS_DIR");
    if (!dir)
        return std::string();
    std::string path = std::string("Z:") + dir + "/port";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::ifstream in(path);
    std::string port;
    in >> port;
    return port;
}

} // namespace

// Ignored by default, as the program always did; refused with the library's own text when strict.
TEST(HttpTls, FaultyCertificateIsAcceptedUnlessStrict) {
    const std::string port = TlsPort();
    ASSERT_FALSE(port.empty()) << "no TLS server: run through ctest (win_http_tls_tests)";
    for (bool strict : {false, true}) {
        SCOPED_TRACE(strict ? "strict" : "lenient");
        CRecordingAccess h;
        h.m_bStrictTls = strict;
        const bool ok = h.HttpGetText(("https://127.0.0.1:" + port + "/hello.txt").c_str(), nullptr, nullptr);
        EXPECT_EQ(!strict, ok);
        if (strict) {
            EXPECT_EQ(0u, h.m_dwStatusCode);
            EXPECT_NE(0u, h.m_dwLastError);
            EXPECT_FALSE(h.m_strError.empty());
            EXPECT_EQ(InternetErrorText(h.m_dwLastError), h.m_strError);
        } else {
            EXPECT_EQ(h.m_strError, "");
            EXPECT_EQ(h.m_dwLastError, 0u);
            EXPECT_EQ(h.m_dwStatusCode, 200u);
            EXPECT_EQ(h.m_strResponse, "hello over tls");
        }
    }
}
