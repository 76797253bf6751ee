// A CHttpAccess that records what its hooks see.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>
#include <utility>
#include <vector>

#include "http/HttpAccess.h"

constexpr const char* kUserAgent = "korvenalis-installapp [pc]";

class CRecordingAccess : public CHttpAccess {
public:
    CRecordingAccess() { SetUserAgent(kUserAgent); }

    void OnStatus(DWORD_PTR context, DWORD status, LPVOID, DWORD) override {
        statuses.push_back(status);
        contexts.push_back(context);
    }
    void OnProgress(DWORD received, DWORD contentLength) override {
        progress.emplace_back(received, contentLength);
    }
    int IsAbortRequested() override { return ++abortQuestions == abortOnQuestion ? 1 : 0; }

    bool SawStatus(DWORD status) const {
        for (DWORD s : statuses)
            if (s == status)
                return true;
        return false;
    }
    std::string Data() const {
        return m_pData ? std::string(reinterpret_cast<const char*>(m_pData), m_dwDataSize) : std::string();
    }

    std::vector<DWORD> statuses;
    std::vector<DWORD_PTR> contexts;
    std::vector<std::pair<DWORD, DWORD>> progress;
    int abortQuestions = 0;
    int abortOnQuestion = -1;
};
