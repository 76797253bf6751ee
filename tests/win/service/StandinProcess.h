// Runs tools/standin-service (built next to the test programs) as a child process for one test:
// a catalogue written from text, a log and a port file in a private folder, and the process
// ended and the folder removed again on Stop or destruction.
//
//   CStandinProcess svc;
//   ASSERT_TRUE(svc.Start("catalogue v3_demo = 1.2.3.4\n", {"--status", "fp=4:500"}));
//   ... svc.Url("/plmocuif/index.aspx") ... svc.LogLines() ...
#pragma once

#include <windows.h>

#include "framework/Handle.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class CStandinProcess {
public:
    CStandinProcess() = default;
    ~CStandinProcess() { Stop(); }
    CStandinProcess(const CStandinProcess&) = delete;
    CStandinProcess& operator=(const CStandinProcess&) = delete;

    // The folder the files of --files DIR come from, made by Start (write files there after Start,
    // or use PrepareFolder first).
    const std::string& Folder() const { return m_dir; }
    std::string FilesDir() const { return m_dir + "\\files"; }

    // Makes the private folder; Start does it too when it has not been done.
    bool PrepareFolder() {
        if (!m_dir.empty())
            return true;
        char temp[MAX_PATH + 1] = {};
        ::GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        m_dir = std::string(temp) + "standin-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        return ::CreateDirectoryA(m_dir.c_str(), nullptr) && ::CreateDirectoryA(FilesDir().c_str(), nullptr);
    }

    bool Start(const std::string& catalogue, const std::vector<std::string>& extraArgs = {}) {
        if (!PrepareFolder())
            return false;
        std::ofstream(m_dir + "\\catalogue.txt", std::ios::binary) << catalogue;
        std::string cmd = "\"" + ExeDir() + "standin-service.exe\" --port 0 --port-file \"" + PortFile() +
                          "\" --catalogue \"" + m_dir + "\\catalogue.txt\" --files \"" + FilesDir() +
                          "\" --log \"" + LogFile() + "\"";
        for (const std::string& a : extraArgs)
            cmd += " \"" + a + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::vector<char> line(cmd.begin(), cmd.end());
        line.push_back('\0');
        if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        ::CloseHandle(pi.hThread);
        m_process.Reset(pi.hProcess);
        // Its port file appears once it listens; a process that ends first failed to start.
        for (int i = 0; i < 400 && m_port == 0; ++i) {
            std::ifstream in(PortFile());
            in >> m_port;
            if (m_port == 0 && ::WaitForSingleObject(m_process.Get(), 50) == WAIT_OBJECT_0)
                break;
        }
        return m_port != 0;
    }

    void Stop() {
        if (m_process) {
            ::TerminateProcess(m_process.Get(), 0);
            ::WaitForSingleObject(m_process.Get(), 10000);
            m_process.Reset();
        }
        m_port = 0;
        if (!m_dir.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(m_dir, ec);
            m_dir.clear();
        }
    }

    int Port() const { return m_port; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    std::string Url(const std::string& pathAndQuery) const { return Base() + pathAndQuery; }

    // The log as it stands: one line per request, "METHOD\tTARGET\tBODY\tUSER-AGENT".
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::ifstream in(LogFile(), std::ios::binary);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    std::string PortFile() const { return m_dir + "\\port.txt"; }
    std::string LogFile() const { return m_dir + "\\requests.log"; }

    static std::string ExeDir() {
        char path[MAX_PATH + 1] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string s(path);
        return s.substr(0, s.find_last_of("\\/") + 1);
    }

    std::string m_dir;
    CKernelHandle m_process;
    int m_port = 0;
};
