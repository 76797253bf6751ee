// Large answers: a text body has no size limit, so every rule over an answer or a download
// address must cost time in proportion to its length. A short pattern is repeated to 2 KiB to
// 256 KiB; the fuzzer's time-out (and the replay test's) catches a rule that turns quadratic,
// such as a replacement that searches again from the start for every occurrence.
//
// Input: a byte whose low three bits set the size (2 KiB << n), then the pattern.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "http/RequestText.h"
#include "install/InstallerFileName.h"
#include "service/CatalogueAnswer.h"
#include "service/ServiceText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const size_t target = size_t(2048) << (in.Byte() & 7);
    std::string text = in.Rest();
    if (text.empty())
        return 0;
    while (text.size() < target)
        text += text;

    // The answer of any query, normalised.
    const std::string answer = service::NormaliseAnswer(text);
    FUZZ_CHECK(answer.size() <= text.size());

    // The catalogue looks at 50 tokens whatever the size.
    std::vector<uint16_t> kinds;
    std::vector<uint32_t> versions;
    service::AppendCatalogueEntries(answer, 1, nullptr, kinds, versions);
    FUZZ_CHECK(kinds.size() == versions.size() && kinds.size() <= 50);

    // A download address of that size: rewritten, named, checked.
    const std::string url = http::EscapeEncodedLineBreaks(answer);
    FUZZ_CHECK(!fuzz::Cp932Contains(url, "%0D%0A") && !fuzz::Cp932Contains(url, "%0d%0a"));
    const std::string name = FileNameFromUrl(url);
    FUZZ_CHECK(name.size() <= url.size());
    std::string error;
    CheckInstallerFileName(url, name, error);

    // A transport error text or a header block of that size.
    const std::string detail = service::FailureDetail(0, text);
    FUZZ_CHECK(!fuzz::Cp932Contains(detail, "\n"));
    http::HeaderContains(text, "Content-Length:");
    FUZZ_CHECK(http::CookieFromSetCookie(text).size() <= text.size());
    return 0;
}
