#include "FenwrightMain.h"
#include "PlatformMemory.h"

int main(int argc, char** argv) {
    // One record and exit: large arrays take fresh pages, touched only where used.
    PlatformBlockFreshPages();
    return static_cast<int>(FenwrightMain(argc, argv));
}
