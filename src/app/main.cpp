// DVNReplacer: the program is the plug-in library's first host. Its whole start-up runs in the library,
// which starts the window through the plug-in class exactly as a host does.
#include "plugin/dvnreplacer.h"

int main(int argc, char* argv[])
{
    return dvnreplacer_run_program(argc, argv);
}
