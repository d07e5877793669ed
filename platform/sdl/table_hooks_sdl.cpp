// The table on Linux: saved at the end of the run only (quit, closed window, Ctrl+C, a closed
// terminal), and nothing more to do after a save.
#include "platform/shell.h"

bool ShellSavesTableOnChange() {
    return false;
}

void ShellTableSaved() {}

bool ShellTableStoredElsewhere() {
    return false;
}
