#include "util/FileIdentity.h"

bool QueryFileIdentity(HANDLE file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file, &info))
        return false;
    identity.volumeSerial = info.dwVolumeSerialNumber;
    identity.indexHigh = info.nFileIndexHigh;
    identity.indexLow = info.nFileIndexLow;
    identity.attributes = info.dwFileAttributes;
    return true;
}
