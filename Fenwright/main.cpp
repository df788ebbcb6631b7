#include "FenwrightMain.h"

int main(int argc, char** argv) { return static_cast<int>(FenwrightMain(argc, argv)); }
