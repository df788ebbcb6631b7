#pragma once
// The round-trip property: a store written to a file and read back is the
// store that was written. Values go through text with a limited number of
// digits, so numbers are compared within a relative tolerance.

class CLLUV;

// Aborts (through FuzzFail) at the first difference of the site, time,
// origin, vector count or any vector's position and velocity forms.
void FuzzCompareStores(const CLLUV& written, const CLLUV& read, double tolerance);
