#include "platform/platform.h"
#include "shell/failure.h"
#include "shell/menu.h"

int main()
{
    // Every way out of the program passes here: the quit word, the end of
    // console input, and a command's failure, which arrives as ProgramEnd.
    int status = 0;
    try {
        status = shell::run_menu();
    } catch (const shell::ProgramEnd& end) {
        status = end.status;
    }
    platform::reset_colour();
    return status;
}
