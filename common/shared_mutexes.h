// Named mutexes through which the installer, the service and other programs
// of the product see each other.
#pragma once

// Held by a running installer for its whole life, visible across sessions;
// while it exists the service leaves the device alone.
inline constexpr wchar_t kInstallerMutexName[] = L"Global\\SetUp,{C2A53245-48A4-4566-8836-D4BB87221CFE}";

// Held by another program of the device's software; the service holds off
// while it exists.
inline constexpr wchar_t kOtherProgramMutexName[] = L"Global\\NORVANEQ730K1,{3BECC0C8-F8F4-4dae-91C3-BBC1DA71DD21}";
