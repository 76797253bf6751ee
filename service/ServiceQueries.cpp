#include "service/ServiceQueries.h"

#include <windows.h>

#include "framework/Resources.h"
#include "http/HttpAccess.h"
#include "service/CatalogueAnswer.h"
#include "service/LaunchParameters.h"
#include "service/ServiceText.h"
#include "util/StringIds.h"
#include "util/Registry.h"

namespace {

const char* const kInstalledKey = "SOFTWARE\\Tavin\\PLMOlb\\KorvenalisClient";

std::string InstalledVersion(const std::string& valueName) {
    // Read only; a value that is missing or can't be read leaves the text empty: not installed.
    std::string value;
    ReadRegistryString(HKEY_LOCAL_MACHINE, kInstalledKey, valueName.c_str(), value);
    return value;
}

std::string FailureMessage(UINT templateId, const CHttpAccess& http) {
    return service::FillMessage(LoadResString(templateId),
                                service::FailureDetail(http.m_dwStatusCode, http.m_strError));
}

} // namespace

bool QueryInstallerCatalogue(const std::string& serviceUrl, const std::string& orgId, int force,
                             std::vector<uint16_t>& kinds, std::vector<uint32_t>& versions,
                             std::string& error) {
    CHttpAccess http;
    http.SetUserAgent(service::kUserAgent);
    if (!http.HttpGetText(service::CatalogueQueryUrl(serviceUrl, orgId).c_str(), nullptr, nullptr)) {
        error =
            FailureMessage(http.m_dwStatusCode != 0 ? IDS_ERR_CHECK_STATUS : IDS_ERR_CHECK_NOSTATUS, http);
        return false;
    }
    // An empty body means the service doesn't know the organisation; white space alone does not.
    if (http.m_strResponse.empty()) {
        error = LoadResString(IDS_ERR_CHECK_BADORG);
        return false;
    }
    service::AppendCatalogueEntries(service::NormaliseAnswer(http.m_strResponse), force, InstalledVersion,
                                    kinds, versions);
    return true;
}

bool QueryDownloadUrls(const std::string& serviceUrl, const std::string& orgId,
                       const std::vector<uint16_t>& kinds, const std::vector<uint32_t>& versions,
                       std::vector<std::string>& downloadUrls, std::vector<std::string>& launchParameters,
                       std::string& error) {
    CHttpAccess http;
    // The two lists always grow together; the bound on kinds only keeps a caller's mistake from
    // reading past its end.
    for (size_t i = 0; i < versions.size() && i < kinds.size(); ++i) {
        uint16_t kind = kinds[i];
        http.SetUserAgent(service::kUserAgent);
        if (!http.HttpPostText(service::DownloadQueryUrl(serviceUrl, kind, versions[i]).c_str(), nullptr,
                               nullptr)) {
            error = FailureMessage(IDS_ERR_URL, http);
            return false;
        }
        std::string url = service::NormaliseAnswer(http.m_strResponse);
        if (url.empty()) {
            error = service::FillMessage(LoadResString(IDS_ERR_URL), "Responce empty.");
            return false;
        }
        downloadUrls.push_back(url);
        std::string params;
        if (!QueryLaunchParameters(serviceUrl, orgId, kind, params, error))
            return false;
        launchParameters.push_back(params);
    }
    return true;
}

bool QueryLaunchParameters(const std::string& serviceUrl, const std::string& orgId, uint16_t kind,
                           std::string& params, std::string& error) {
    if (kind == 0) {
        params = service::kClientParameters;
        return true;
    }
    CHttpAccess http;
    http.SetUserAgent(service::kUserAgent);
    if (!http.HttpPostText(service::LaunchQueryUrl(serviceUrl, orgId).c_str(), nullptr, nullptr)) {
        error = FailureMessage(IDS_ERR_PARAMS, http);
        return false;
    }
    params = service::CustomParameters(service::NormaliseAnswer(http.m_strResponse));
    return true;
}
