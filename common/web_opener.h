// The product's web-page opener, a separate program that both the installer
// and the service point to: its file name and the product's web addresses.
#pragma once

// File name of the program that opens the device's web page.
inline constexpr wchar_t kPanelOpenerExe[] = L"PanelOpener.exe";

// The device's own web page, answered by the router inside the modem.
inline constexpr wchar_t kDeviceWebAddress[] = L"http://device.home";

// The maker's web site (support and about links of the uninstall entry).
inline constexpr wchar_t kMakerWebAddress[] = L"http://www.norvane.com";
