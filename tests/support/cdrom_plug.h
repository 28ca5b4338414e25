// Plays a CD-ROM drive's arrival and departure in the Wine prefix: the drive
// letter is defined through Wine's mount manager (as its configuration tool
// does) and the drive's "SYSTEM\MountedDevices" value is made to name a
// device's CD-ROM interface, so a device tree describing that device owns
// the drive.  Wine only: the mount-manager request is Wine's own.
#pragma once

#include "test_support.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// The device-interface class of CD-ROM drives.
extern const wchar_t kCdromInterfaceClass[];   // {53F56308-B6BF-11D0-94F2-00A0C91EFB8B}

// The path Windows gives a device's interface, as the mount manager stores
// it: "\??\" + instance id with "\" as "#" + "#" + interface class.
std::wstring DeviceInterfacePath(const std::wstring& instanceId,
                                 const std::wstring& interfaceClass = kCdromInterfaceClass);

// count letters (from D: on) that no drive of the prefix uses; fewer when
// not enough are free.
std::vector<wchar_t> FreeDriveLetters(size_t count);

// A CD-ROM drive plugged for the object's lifetime, unplugged (with its
// mount-manager value removed) when it goes.
class CPluggedCdrom {
public:
    enum class Medium { Present, Absent };
    // cdromInstanceId: the device behind the drive (its interface path
    // becomes the drive's mount-manager value); empty for a drive that the
    // mount manager records nothing for.
    CPluggedCdrom(wchar_t letter, const std::wstring& cdromInstanceId, Medium medium = Medium::Present);
    ~CPluggedCdrom();
    CPluggedCdrom(const CPluggedCdrom&) = delete;
    CPluggedCdrom& operator=(const CPluggedCdrom&) = delete;

    bool IsPlugged() const { return m_plugged; }
    // "D:"
    std::wstring Drive() const { return std::wstring(1, m_letter) + L":"; }
    // The folder holding the medium's files (empty without a medium).
    std::wstring MediumFolder() const { return m_medium ? m_medium->Path() : std::wstring(); }

private:
    wchar_t m_letter;
    std::unique_ptr<CTempDir> m_medium;
    bool m_plugged = false;
};

// Sets (or, with an empty text, deletes) the "\DosDevices\X:" value of
// "SYSTEM\MountedDevices", stored as the mount manager does: UTF-16 binary
// data without a terminator.
bool SetMountedDeviceValue(wchar_t letter, const std::wstring& text);

} // namespace testing_support
