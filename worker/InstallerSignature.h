// The publisher check a deployment may demand of every downloaded installer: a valid Authenticode
// signature, a code-signing certificate whose chain ends at a root the machine trusts without any
// trust error, and a signer whose name is the one compiled in.
#pragma once

#include <windows.h>

#include <string>

// The publisher name the build was given (PLMO_INSTALLER_SIGNER); empty: no check.
const std::wstring& InstallerSignerPin();

// file: the installer, open for reading (the check runs on this handle, not on the path, and may
// move its file pointer); path names it for the library. True when the file passes; otherwise
// error holds the reason, one of the texts IDS_SIG_*, without frame.
bool CheckInstallerSigner(HANDLE file, const std::string& path, const std::wstring& signerPin,
                          std::string& error);

// The whole message for a refused installer: the frame IDS_ERR_SIGNATURE around its file name and
// the reason CheckInstallerSigner gave.
std::string SignatureRefusalText(const std::string& fileName, const std::string& reason);
