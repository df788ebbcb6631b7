#include "PlatformMemory.h"
#include "QuillmoorMain.h"

int main(int argc, char** argv) {
    // One conversion and exit: large arrays take fresh pages, touched only where used.
    PlatformBlockFreshPages();
    return static_cast<int>(QuillmoorMain(argc, argv));
}
