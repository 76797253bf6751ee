#include "worker/DownloadTexts.h"

#include "service/ServiceText.h"

namespace download {

// The service's download servers have always been answered with this spelling; kept as it is.
const char* const kEmptyResponseDetail = "Responce size 0.";

std::string RequestFailureText(const std::string& frame, uint32_t statusCode,
                               const std::string& transportError) {
    return service::FillMessage(frame, service::FailureDetail(statusCode, transportError));
}

std::string EmptyResponseText(const std::string& frame) {
    return service::FillMessage(frame, kEmptyResponseDetail);
}

std::string FileSaveErrorText(const std::string& fileError) {
    return "file save error:" + fileError;
}

} // namespace download
