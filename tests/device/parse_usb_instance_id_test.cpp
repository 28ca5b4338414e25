#include "cdrom_tools.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
    const char* name;
    std::wstring id;
    bool accepted;
    std::wstring vid{}, pid{}, serial{};   // checked when accepted
};

TEST(ParseUsbInstanceId, TableOfWellFormedAndMalformedIdentifiers)
{
    const std::wstring longSerial(5000, L'7');
    const ParseCase cases[] = {
        {"maker's device", L"USB\\VID_3C5D&PID_1225\\1234567890AB", true, L"3C5D", L"1225", L"1234567890AB"},
        {"lower case is upper-cased", L"usb\\vid_3c5d&pid_1403\\ab12cd34", true, L"3C5D", L"1403", L"AB12CD34"},
        {"composite interface keeps its own suffix", L"USB\\VID_3C5D&PID_1403&MI_02\\7&3C4D&0&0002", true,
         L"3C5D", L"1403", L"7&3C4D&0&0002"},
        {"further parts are ignored", L"USB\\VID_3C5D&PID_1225\\SER\\EXTRA", true, L"3C5D", L"1225", L"SER"},
        {"very long serial", L"USB\\VID_3C5D&PID_1225\\" + longSerial, true, L"3C5D", L"1225", longSerial},
        {"another vendor", L"USB\\VID_0781&PID_5567\\4C530001", false},
        {"too short", L"USB\\VID_3C5D\\1", false},
        {"17 characters", L"USB\\VID_3C5D&P\\SS", true, L"3C5D", L"P", L"SS"},
        {"16 characters", L"USB\\VID_3C5D&P\\S", false},
        {"too few parts", L"USB\\VID_3C5D&PID_1225", false},
        {"no PID piece", L"USB\\VID_3C5D\\1234567890AB", false},
        {"trailing backslash, no serial", L"USB\\VID_3C5D&PID_1225\\", false},
        {"trailing backslashes, no serial", L"USB\\VID_3C5D&PID_1225\\\\\\", false},
        {"vendor text with more after it", L"USB\\VID_3C5DX&PID_1225\\1234567890AB", false},
        {"empty", L"", false},
        {"odd characters", L"USB\\VID_3C5D&PID_1225\\A\x00e9\xFFFF\t=;]", true, L"3C5D", L"1225",
         L"A\x00e9\xFFFF\t=;]"},
        {"very long, no separators", std::wstring(100000, L'X'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UsbDeviceId id;
        EXPECT_EQ(c.accepted, ParseUsbInstanceId(c.id, id));
        if (c.accepted) {
            EXPECT_EQ(c.vid, id.vid);
            EXPECT_EQ(c.pid, id.pid);
            EXPECT_EQ(c.serial, id.serial);
        }
    }
}

TEST(ParseUsbInstanceId, FillsTheFieldsOfAnotherVendorToo)
{
    UsbDeviceId id;
    EXPECT_FALSE(ParseUsbInstanceId(L"USB\\VID_0781&PID_5567\\4c530001", id));
    EXPECT_EQ(L"0781", id.vid);
    EXPECT_EQ(L"5567", id.pid);
    EXPECT_EQ(L"4C530001", id.serial);
}

} // namespace
