// Answer normalisation, the failure detail and its message, and the parameter text built from a
// launch address, over any answer or transport text.
//
// Input: a flag byte (bit 0: a status code was received), four bytes of status code, then the
// answer or error text up to the first zero byte, then the message template.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "service/LaunchParameters.h"
#include "service/ServiceText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const uint8_t flags = in.Byte();
    const uint32_t status = (flags & 1) ? in.U32() : 0;
    const std::string text = in.Until('\0');
    const std::string messageTemplate = in.Rest();

    // Normalisation: one pass of "\r\n\r\n" to "\r\n", then both ends trimmed.
    const std::string answer = service::NormaliseAnswer(text);
    FUZZ_CHECK(answer.size() <= text.size());
    FUZZ_CHECK(answer.empty() || (!fuzz::IsBlank(answer.front()) && !fuzz::IsBlank(answer.back())));
    std::string once = fuzz::Cp932ReplaceAll(text, "\r\n\r\n", "\r\n");
    size_t b = 0, e = once.size();
    while (b < e && fuzz::IsBlank(once[b]))
        ++b;
    while (e > b && fuzz::IsBlank(once[e - 1]))
        --e;
    FUZZ_CHECK(answer == once.substr(b, e - b));

    // The detail reads as one line of the message.
    const std::string detail = service::FailureDetail(status, text);
    if (status != 0 && !(status == 200 && !text.empty())) {
        FUZZ_CHECK(detail == "http status " + std::to_string(static_cast<int>(status)));
    } else {
        FUZZ_CHECK(detail == fuzz::Cp932ReplaceAll(fuzz::Cp932ReplaceAll(text, "\r\n", ""), "\n", ""));
        FUZZ_CHECK(!fuzz::Cp932Contains(detail, "\n"));
    }

    // The detail goes in literally, at the template's first "%s"; nothing else is interpreted.
    const std::string message = service::FillMessage(messageTemplate, detail);
    size_t at = std::string::npos;
    for (size_t pos = 0; pos < messageTemplate.size(); pos += fuzz::Cp932CharLen(messageTemplate, pos)) {
        if (messageTemplate.compare(pos, 2, "%s") == 0) {
            at = pos;
            break;
        }
    }
    if (at == std::string::npos)
        FUZZ_CHECK(message == messageTemplate);
    else
        FUZZ_CHECK(message == messageTemplate.substr(0, at) + detail + messageTemplate.substr(at + 2));

    // The launch address is used exactly as received.
    const std::string parameters = service::CustomParameters(answer);
    FUZZ_CHECK(parameters == (answer.empty() ? std::string("simplemode,") : "simplemode,lnc_url=" + answer));
    return 0;
}
