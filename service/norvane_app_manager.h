// Queries on the product that the installer put on the machine: versions,
// install location, and the project, main program and interface kind that
// belong to a device's serial number.
#pragma once

#include <string>

// A version split for comparison: the product line and a text that sorts
// ordinally ("00012.00000.00002.00007").
struct NormalizedVersion {
    std::wstring prefix;
    std::wstring comparable;
};

class CNorvaneAppManager {
public:
    virtual ~CNorvaneAppManager() = default;

    // A local-machine string value (up to 1023 characters), or empty.
    static std::wstring ReadRegistryString(const std::wstring& keyPath, const std::wstring& valueName);
    // "InstallLocation" of the product key without one trailing backslash, or empty.
    static std::wstring GetInstallLocation(const std::wstring& productKey);
    // "InstalledPath" + "\" + "MainProgram" of the serial number's project, or empty.
    static std::wstring GetMainProgramPath(const std::wstring& serialNumber);
    // "CmType" of the serial number's project, or empty.
    static std::wstring GetCmType(const std::wstring& serialNumber);

    // Over-long fields are cut to their leading characters (see the .cpp).
    static NormalizedVersion NormalizeVersion(const std::wstring& version);
    // 0: different product lines; 1: same line, installed not older; 2: installed older.
    static int CompareVersion(const std::wstring& installed, const std::wstring& other);

    // True while another program of the device's software or the installer runs.
    static bool IsOtherProgramRunning();
};
