// Diagnostic log: one timestamped UTF-16 line per call, one file per category
// and day, in a "log" folder beside the program; and the debugger-output trace.
#pragma once

#include "handles.h"

#include <windows.h>

#include <string>

class CLog {
public:
    CLog();
    ~CLog() = default;
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    // Appends one line for the category; never fails towards the caller.
    void Write(const std::wstring& message, const std::wstring& category);

    // The file a line of this category dated at the given local time goes to.
    std::wstring BuildFilePath(const std::wstring& category, const SYSTEMTIME& localTime) const;

    const std::wstring& GetModuleName() const { return m_strModuleName; }

private:
    CHandle m_hLock;
    std::wstring m_strBaseDir;
    std::wstring m_strModuleName;
    int m_nEnabled = 1;
};

// The process's one logger.
CLog& GetLog();

// A date as the log's file names and the product's records write it: "%Y%m%d".
std::wstring FormatDateStamp(const SYSTEMTIME& date);

// General log entry: category "OrvServ".
void WriteLog(const std::wstring& message);

// Debugger output: "<message> threadID=<id>"; independent of the log switches.
void DebugTrace(const std::wstring& message);
