// Writes log lines through the process's logger, so that tests can watch the
// switches of "SdkFeature.ini" beside a copy of this program.
//   log_writer <category> <message>
#include "log.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    GetLog().Write(argv[2], argv[1]);
    return 0;
}
