#include "QuillmoorMain.h"

long QuillmoorMain(int, char**) { return 0; }
