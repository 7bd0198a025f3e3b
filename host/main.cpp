// The process entry that the runtime calls. Its arguments are not used: the
// saver reads the command line itself, as the display settings format it.
#include <windows.h>

#include "host/launch.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { SaverEntry(); }
