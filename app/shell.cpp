// Stand-in shell until the screen framework lands: no services, no screens.
#include "app/shell.h"

bool ShellStartup() { return true; }
int ShellRunFrame() { return 0; }
void ShellShutdown() {}
void ShellActivate(bool) {}
