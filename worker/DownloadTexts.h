// The error texts of a failed file download. Platform-free.
#pragma once

#include <cstdint>
#include <string>

namespace download {

// The detail of an empty answer, put into the download error frame.
extern const char* const kEmptyResponseDetail;

// A failed request: the frame (the download error message with one "%s") around "http status N"
// when a status was received, otherwise around the transport's text, line breaks removed.
std::string RequestFailureText(const std::string& frame, uint32_t statusCode,
                               const std::string& transportError);

// A 200 answer without a body.
std::string EmptyResponseText(const std::string& frame);

// The destination could not be written; fileError is the file's own error text. No frame.
std::string FileSaveErrorText(const std::string& fileError);

} // namespace download
