#pragma once

#include <cstdint>

// The site code of a table file's Site keyword, written and read by one rule
// so that every reader gets back the code the writer was given.
//
// A code of four characters that does not start with a blank or a quote is
// written as it is (every station's code). Any other code is written between
// quotes: a shorter code ("ab"), one that starts with a blank or a quote, the
// empty code (""). Bytes 1 to 31 are written as '_', and so is a backslash:
// the writer escapes it in every value and readers take values literally, so
// it would come back doubled.
//
// The reader skips the blanks in front; a quote followed by at most four
// characters and the same quote is a quoted code, anything else gives its
// first four characters as they are. A digit does not make a number: "1ABC"
// is the code 1ABC.

struct BtfSiteCodeText {
    char text[8];
};

BtfSiteCodeText BtfSiteCodeToText(uint32_t code);

// Reads the code at the start of `text`; returns the characters consumed,
// blanks in front and a closing quote included.
long BtfReadSiteCode(const char* text, uint32_t* code);
