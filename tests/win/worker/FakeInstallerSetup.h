// Copies of the fake installer (built next to the test programs) with their settings files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "tests/win/worker/TestFolder.h"

inline std::string FakeInstallerProgram() {
    return ProgramFolder() + "fake-installer.exe";
}

// Places a copy named name in folder; settings are the lines of its [fake] section.
inline std::string PlaceFakeInstaller(const CTestFolder& folder, const std::string& name,
                                      const std::string& settings) {
    const std::string path = folder / name;
    if (!::CopyFileA(FakeInstallerProgram().c_str(), path.c_str(), FALSE))
        return std::string();
    WriteFileBytes(path + ".ini", "[fake]\r\n" + settings);
    return path;
}

struct FakeRun {
    std::string path, parameters;
    std::string folder, temp, tmp; // its current folder, TEMP and TMP
    uint64_t start = 0, end = 0; // UTC, 100 ns units
    int exitCode = -1;
    long long selfBytes = -1; // of its own file, read at its start
};

// The runs recorded in a fake installer log, in the order they started.
inline std::vector<FakeRun> ReadFakeLog(const std::string& logPath) {
    std::vector<FakeRun> runs;
    std::istringstream in(ReadFileBytes(logPath));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> f;
        size_t pos = 0;
        for (;;) {
            size_t tab = line.find('\t', pos);
            f.push_back(line.substr(pos, tab - pos));
            if (tab == std::string::npos)
                break;
            pos = tab + 1;
        }
        if (f[0] == "start" && f.size() >= 5) {
            FakeRun r;
            r.start = std::stoull(f[1]);
            r.path = f[3];
            r.parameters = f[4];
            if (f.size() >= 8) {
                r.folder = f[5];
                r.temp = f[6];
                r.tmp = f[7];
            }
            runs.push_back(r);
        } else if (f[0] == "end" && f.size() >= 4 && !runs.empty()) {
            runs.back().end = std::stoull(f[1]);
            runs.back().exitCode = std::stoi(f[3]);
            if (f.size() >= 5)
                runs.back().selfBytes = std::stoll(f[4]);
        }
    }
    return runs;
}
