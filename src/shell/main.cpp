#include "platform/console.h"
#include "platform/files.h"
#include "shell/failure.h"
#include "shell/menu.h"

int main()
{
    // Every way out of the program passes here but an interrupt: the quit
    // word, the end of console input, and a command's failure or a console
    // that is gone, which arrive as ProgramEnd.
    platform::begin_session();
    int status = 0;
    try {
        status = shell::run_menu();
    } catch (const shell::ProgramEnd& end) {
        status = end.status;
    }
    platform::reset_colour();
    return status;
}
