// Fifty install attempts in one process of the program, failing and succeeding service answers in
// turn; its handle count and private bytes, read from outside after each attempt, stay level.
#include "tests/e2e/flow/FlowFixture.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace e2e;

namespace flow {
namespace {

const char kCatalogue[] = "catalogue v3_good = 1.2.3.4\n"
                          "download 1 01020304 = {self}/files/setup.exe\n";

struct Figures {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
};

// Wine answers GetProcessHandleCount with 0: the system's handle table counts them instead.
DWORD HandlesFromSystemTable(DWORD pid) {
    struct Entry {
        ULONG pid;
        UCHAR type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return 0;
    std::vector<char> buffer(1 << 20);
    ULONG length = 0;
    LONG status;
    while ((status = query(16 /* SystemHandleInformation */, buffer.data(), static_cast<ULONG>(buffer.size()),
                           &length)) == static_cast<LONG>(0xC0000004) &&
           buffer.size() < (64u << 20))
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return 0;
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const Entry* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
    DWORD n = 0;
    for (ULONG i = 0; i < count; ++i)
        n += entries[i].pid == pid;
    return n;
}

// Private bytes: PrivateUsage, or where Wine leaves it 0, the commit charge it does count.
Figures Read(DWORD pid) {
    Figures f;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return f;
    if (!::GetProcessHandleCount(process, &f.handles) || f.handles == 0)
        f.handles = HandlesFromSystemTable(pid);
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc))
        f.privateBytes = pmc.PrivateUsage != 0 ? pmc.PrivateUsage : pmc.PagefileUsage;
    ::CloseHandle(process);
    return f;
}

using Soak = CFlowTest;

TEST_F(Soak, FiftyAttemptsInOneProcessKeepHandlesAndMemoryLevel) {
    // The catalogue of an unknown organisation fails with 106 (an empty answer); the known one
    // goes through the service queries to the confirmation, answered No.
    Start(kCatalogue);
    const DWORD pid = App().App().Id();
    const int kAttempts = 50, kWarmUp = 5;
    std::vector<Figures> figures;
    for (int i = 0; i < kAttempts; ++i) {
        SCOPED_TRACE("attempt " + std::to_string(i + 1));
        const bool fail = i % 2 == 0;
        CMessageBox box = Install(fail ? "nobody" : "good");
        if (fail) {
            ASSERT_EQ(texts::kNotAnOrganisation, box.text);
            AnswerMessageBox(box, IDOK);
        } else {
            ASSERT_EQ(texts::kConfirm, box.text);
            AnswerMessageBox(box, IDNO);
        }
        WaitForUiState(Dialog(), 0);
        figures.push_back(Read(pid));
        ASSERT_NE(0u, figures.back().handles) << "the program's figures cannot be read";
    }
    const Figures& warm = figures[kWarmUp - 1];
    DWORD maxHandles = 0;
    SIZE_T maxBytes = 0;
    for (const Figures& f : figures) {
        maxHandles = std::max(maxHandles, f.handles);
        maxBytes = std::max(maxBytes, f.privateBytes);
    }
    std::printf("soak: handles first %lu, after warm-up %lu, max %lu, last %lu\n", figures.front().handles,
                warm.handles, maxHandles, figures.back().handles);
    std::printf("soak: private bytes first %lu, after warm-up %lu, max %lu, last %lu\n",
                (unsigned long)figures.front().privateBytes, (unsigned long)warm.privateBytes,
                (unsigned long)maxBytes, (unsigned long)figures.back().privateBytes);
    for (size_t i = kWarmUp; i < figures.size(); ++i) {
        EXPECT_LE(figures[i].handles, warm.handles + 10) << "after attempt " << i + 1;
        EXPECT_LE(figures[i].privateBytes, warm.privateBytes + 2 * 1024 * 1024) << "after attempt " << i + 1;
    }
    // 25 failing attempts ask once, 25 good ones ask for the catalogue and the address.
    EXPECT_EQ(75u, Requests().size());
}

} // namespace
} // namespace flow
