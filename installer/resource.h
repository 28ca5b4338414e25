// Resource identifiers of the installer.
#pragma once

#define IDD_VANDRI_DIALOG 102
#define IDC_BUTTON_DEL 1000
