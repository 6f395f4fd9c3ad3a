#include <windows.h>

#include <winioctl.h>

#include "utils/system/drives.h"

namespace Utils {

std::vector<DriveRoot> ListDrives() {
    wchar_t buffer[260] = {};
    const DWORD n = GetLogicalDriveStringsW(260, buffer);
    std::vector<DriveRoot> drives;
    if (n == 0 || n > 260) {
        return drives;
    }
    for (const wchar_t* p = buffer; *p != L'\0'; p += wcslen(p) + 1) {
        drives.push_back({p[0], p, GetDriveTypeW(p) == DRIVE_FIXED});
    }
    return drives;
}

bool IsUsbDrive(wchar_t driveLetter) {
    std::wstring device = L"\\\\.\\X:";
    device[4] = driveLetter;
    HANDLE h = CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return true;
    }
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    // The fixed part of STORAGE_DEVICE_DESCRIPTOR, aligned for reading it.
    alignas(STORAGE_DEVICE_DESCRIPTOR) BYTE out[40] = {};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(h, IOCTL_STORAGE_QUERY_PROPERTY, &query, 12, out, sizeof out,
                                    &returned, nullptr);
    CloseHandle(h);
    if (!ok) {
        return true;
    }
    return reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(out)->BusType == BusTypeUsb;
}

}  // namespace Utils
