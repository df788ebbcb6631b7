#pragma once
// Fenwright's entry point: the command line's first steps, then the run.
long FenwrightMain(int argc, char** argv);
