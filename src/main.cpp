#include "commands.h"
#include "console.h"
#include "platform/console.h"
#include "platform/files.h"
#include "replacement.h"

int main()
{
    // Every way out of the program passes here but an interrupt: the quit
    // word and the end of console input, and a command's failure or a console
    // that is gone, which arrive as a Failure to be shown here.
    platform::begin_session();
    // A write in place that a power cut or a kill stopped is finished or
    // undone before anything else reads or writes a list.
    mordavelle::finish_interrupted_writes_at_start();
    int status = 0;
    try {
        status = mordavelle::run_menu();
    } catch (const mordavelle::Failure& failure) {
        status = mordavelle::show(failure);
    }
    platform::reset_colour();
    return status;
}
