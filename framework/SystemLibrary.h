// A system DLL loaded by hand from the system folder. The program runs elevated, often from a
// Downloads folder where anything may lie beside it, so DLLs that the system does not protect
// (its KnownDLLs list) are never imported statically and never looked for beside the program.
#pragma once

#include <windows.h>

#include "framework/Handle.h"

class CSystemLibrary {
public:
    // fileName: a bare name such as "wininet.dll"; it is loaded by full path from the system folder.
    explicit CSystemLibrary(const char* fileName);

    bool IsLoaded() const { return m_module.IsValid(); }
    HMODULE Get() const { return m_module.Get(); }

    // Sets fn to the export name; false (fn null) when the library or the export is missing.
    template <class F> bool Bind(F& fn, const char* name) const {
        fn = m_module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(m_module.Get(), name)))
                      : nullptr;
        return fn != nullptr;
    }

private:
    CModule m_module;
};

// Restricts the process's default DLL search to the system folder, where the system offers it
// (Windows 8, or 7 with its update); elsewhere the by-hand loading above still holds.
void RestrictDllSearchToSystemFolder();
