// Locating the running program and walking directory trees.
#pragma once

#include <cstdint>
#include <string>

std::wstring GetModulePath();
std::wstring GetModuleDirectory();
std::wstring GetModuleFileNameOnly();
std::wstring GetCommonAppDataPath();

bool CopyFolder(const std::wstring& source, const std::wstring& destination, const std::wstring& pattern);
bool DeleteFolder(const std::wstring& directory, const std::wstring& pattern);
void ClearReadOnlyAttributes(const std::wstring& directory);
uint64_t GetFolderSize(const std::wstring& directory, uint64_t& total, const std::wstring& pattern);

// Small path helpers used across the programs.
bool PathIsExistingDirectory(const std::wstring& path);
bool PathIsExistingFile(const std::wstring& path);
// Creates the directory and every missing parent; true when it exists afterwards.
bool CreateDirectoryChain(const std::wstring& path);
// The path with its last component removed by the shell's rule ("C:\" stays for a root file).
std::wstring RemoveLastPathComponent(const std::wstring& path);
