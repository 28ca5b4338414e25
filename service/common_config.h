// Accessor for one INI file through the system's private-profile routines:
// every call reads or writes the file at once, nothing is kept in memory.
#pragma once

#include <string>

class CCommonConfig {
public:
    // A bare file name resolves to the executable's directory; a name with a
    // directory part (either slash) is used as given.
    explicit CCommonConfig(const std::wstring& fileName);
    virtual ~CCommonConfig() = default;

    int GetInt(const std::wstring& section, const std::wstring& key, int defaultValue) const;
    // The value (at most 1023 characters) or the default; empty when the read gives nothing.
    void GetString(std::wstring& value, const std::wstring& section, const std::wstring& key,
                   const std::wstring& defaultValue) const;
    // Writes the value as decimal text, creating file, section or key as needed.
    bool SetInt(const std::wstring& section, const std::wstring& key, int value) const;

    const std::wstring& GetPath() const { return m_strPath; }

private:
    std::wstring m_strPath;
};

// The service's own switch file "OrvServ.ini" beside the executable.
CCommonConfig& GetOrvServConfig();
