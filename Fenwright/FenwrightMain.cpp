#include "FenwrightMain.h"

long FenwrightMain(int, char**) { return 0; }
