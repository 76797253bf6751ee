// A progress view that records what the download and the installer run asked of it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/InstallProgressView.h"

class CRecordingView : public IInstallProgressView {
public:
    void ResetProgress() override { calls.push_back("reset"); }
    void ShowInstallProgress(int total, int current) override {
        calls.push_back("install " + std::to_string(current) + "/" + std::to_string(total));
    }
    void SetCurrentItem(int current) override {
        currentItem = current;
        calls.push_back("item " + std::to_string(current));
    }
    void SetRunningWorker(CDownloadWorker* worker) override {
        runningWorker = worker;
        calls.push_back(worker ? "worker" : "no worker");
        if (worker && onWorker)
            onWorker(*worker);
    }

    std::vector<std::string> calls;
    int currentItem = 0;
    CDownloadWorker* runningWorker = nullptr;
    std::function<void(CDownloadWorker&)> onWorker;
};
