#pragma once
// The conversion run that follows the command line's first steps: folders,
// preferences, source, site information and outputs. Its status becomes the
// process's exit status.

constexpr long kProcTextSize = 256;

long RunQuillmoor(int argc, char** argv, const char* procText, unsigned long ownerCode);
