#pragma once
// Quillmoor's entry point: the command line's first steps, then the run.
long QuillmoorMain(int argc, char** argv);
