// Registry and service-manager helpers shared by the service tests.
#pragma once

#include <windows.h>

#include <vector>

namespace service_testing {

// Where the programs that start with Windows are listed (local machine).
extern const wchar_t kRunKey[];

// Adds a start-up value of the given name (the data does not matter).
void SetRunValue(const wchar_t* name);
bool RunValueExists(const wchar_t* name);
// True when the local-machine key opens.
bool KeyExists(const wchar_t* path);

// The configuration the service control manager reports for an open service.
class CServiceConfig {
public:
    explicit CServiceConfig(SC_HANDLE service);
    // Null when it could not be read.
    const QUERY_SERVICE_CONFIGW* Get() const;
    const QUERY_SERVICE_CONFIGW* operator->() const { return Get(); }

private:
    std::vector<BYTE> m_buffer;
};

} // namespace service_testing
