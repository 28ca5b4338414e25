#include "service_host.h"

#include "log.h"
#include "log_reader.h"

#include <gtest/gtest.h>

using namespace testing_support;

// Controls other than stop are only logged (no status is reported); the stop
// control goes through the handler in the real service round trip.
TEST(ServiceHandler, ControlsThatAreOnlyLogged)
{
    Init();
    struct Case {
        DWORD control;
        const wchar_t* line;
    } cases[] = {
        {SERVICE_CONTROL_PAUSE, L"WINAPI Handler      ... ... SERVICE_CONTROL_PAUSE\n"},
        {SERVICE_CONTROL_CONTINUE, L"WINAPI Handler      ... ... SERVICE_CONTROL_CONTINUE\n"},
        {SERVICE_CONTROL_INTERROGATE, L"WINAPI Handler      ... ... SERVICE_CONTROL_INTERROGATE\n"},
        {SERVICE_CONTROL_SHUTDOWN, L"WINAPI Handler      ... ... SERVICE_CONTROL_SHUTDOWN\n"},
        {200, L"WINAPI Handler      Enter\n"},   // unknown: an event only
    };
    for (const Case& c : cases) {
        CLogTail log(GetLog().GetModuleName(), L"OrvServ");
        Handler(c.control);
        const std::wstring text = log.NewText();
        EXPECT_NE(std::wstring::npos, text.find(c.line)) << c.control;
        EXPECT_NE(std::wstring::npos, text.find(L"WINAPI Handler      leave\n")) << c.control;
        EXPECT_EQ(std::wstring::npos, text.find(L"SERVICE_CONTROL_STOP")) << c.control;
    }
}
