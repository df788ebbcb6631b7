#pragma once
// Fenwright's answer to --help: the usage line of every run, then each
// argument with its default.
void PrintFenwrightHelp();
