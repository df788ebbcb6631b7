#pragma once
// Quillmoor's answer to --help: the usage lines of every run, then each
// argument with its default.
void PrintQuillmoorHelp();
