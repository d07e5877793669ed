// The shipped page's main: the game, and nothing else.
#include "platform/web/web_shell.h"

int main() {
    RunPage();
    return 0;
}
