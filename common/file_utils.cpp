#include "file_utils.h"

#include "handles.h"
#include "log.h"
#include "stl_string.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

// Lists directory + pattern and calls visit(name, data) for every entry except
// directories whose name starts with a point ("." and ".." among them).
template <typename Visit>
bool ForEachEntry(const std::wstring& directory, const std::wstring& pattern, Visit visit)
{
    WIN32_FIND_DATAW data = {};
    CFindHandle find(::FindFirstFileW((directory + pattern).c_str(), &data));
    if (!find)
        return false;
    do {
        const bool isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isDirectory && data.cFileName[0] == L'.')
            continue;
        visit(directory + L"\\" + data.cFileName, data, isDirectory);
    } while (::FindNextFileW(find.Get(), &data));
    return true;
}

} // namespace

bool PathIsExistingDirectory(const std::wstring& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathIsExistingFile(const std::wstring& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDirectoryChain(const std::wstring& path)
{
    if (path.empty())
        return false;
    if (PathIsExistingDirectory(path))
        return true;
    int rc = ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return rc == ERROR_SUCCESS || rc == ERROR_ALREADY_EXISTS || PathIsExistingDirectory(path);
}

std::wstring RemoveLastPathComponent(const std::wstring& path)
{
    std::wstring buffer(path);
    buffer.push_back(L'\0');
    ::PathRemoveFileSpecW(buffer.data());
    return std::wstring(buffer.c_str());
}

std::wstring GetModulePath()
{
    // One spare character: older systems leave a cut path unterminated.
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring GetModuleDirectory()
{
    return RemoveLastPathComponent(GetModulePath());
}

std::wstring GetModuleFileNameOnly()
{
    const std::wstring path = GetModulePath();
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(slash + 1);
}

std::wstring GetCommonAppDataPath()
{
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_COMMON_APPDATA, FALSE))
        return std::wstring();
    return path;
}

bool CopyFolder(const std::wstring& source, const std::wstring& destination, const std::wstring& pattern)
{
    if (::GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    if (!PathIsExistingDirectory(destination) && !CreateDirectoryChain(destination)) {
        DebugTrace(L"CreateDirectory failed!");
        return false;
    }
    return ForEachEntry(source, pattern, [&](const std::wstring& from, const WIN32_FIND_DATAW& data, bool isDirectory) {
        const std::wstring to = destination + L"\\" + data.cFileName;
        if (isDirectory) {
            if (!PathIsExistingDirectory(to))
                ::CreateDirectoryW(to.c_str(), nullptr);
            CopyFolder(from, to, pattern);
            return;
        }
        if (::CopyFileW(from.c_str(), to.c_str(), FALSE))
            DebugTrace(FormatW(L"Copy file--%s To %s OK!", from.c_str(), to.c_str()));
        else
            DebugTrace(FormatW(L"Copy file--%s To %s failed \xFF1A%d", from.c_str(), to.c_str(),
                               int(::GetLastError())));
    });
}

bool DeleteFolder(const std::wstring& directory, const std::wstring& pattern)
{
    const bool listed = ForEachEntry(directory, pattern, [&](const std::wstring& path, const WIN32_FIND_DATAW&, bool isDirectory) {
        if (isDirectory) {
            DeleteFolder(path, pattern);
            ::RemoveDirectoryW(path.c_str());
            return;
        }
        if (::DeleteFileW(path.c_str()))
            DebugTrace(L"++++++delete file" + path);
        else
            DebugTrace(FormatW(L"+++++++Delete fialed:: %d", int(::GetLastError())));
    });
    if (!listed)
        return false;
    if (pattern == L"\\*.*")
        ::RemoveDirectoryW(directory.c_str());
    return true;
}

void ClearReadOnlyAttributes(const std::wstring& directory)
{
    ForEachEntry(directory, L"\\*.*", [&](const std::wstring& path, const WIN32_FIND_DATAW& data, bool isDirectory) {
        if (isDirectory) {
            ClearReadOnlyAttributes(path);
            return;
        }
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) &&
            !::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL))
            DebugTrace(L"++++++SetFileAttributes Failed:" + path);
    });
}

uint64_t GetFolderSize(const std::wstring& directory, uint64_t& total, const std::wstring& pattern)
{
    uint64_t sum = total;
    const bool listed = ForEachEntry(directory, pattern, [&](const std::wstring& path, const WIN32_FIND_DATAW& data, bool isDirectory) {
        if (isDirectory)
            GetFolderSize(path, sum, pattern);
        else
            sum += (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    });
    if (!listed)
        return 0;
    total = sum;
    return total;
}
