#include "QuillmoorMain.h"

int main(int argc, char** argv) { return static_cast<int>(QuillmoorMain(argc, argv)); }
