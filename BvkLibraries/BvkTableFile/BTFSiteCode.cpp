#include "BTFSiteCode.h"

#include <cstring>

#include "cStrConv.h"

namespace {

constexpr int kCodeLength = 4;

bool IsQuote(char c) { return c == '"' || c == '\''; }

}  // namespace

BtfSiteCodeText BtfSiteCodeToText(uint32_t code) {
    char plain[8];
    CStrConv::CharCodeToString(plain, code);
    for (char* c = plain; *c; ++c)
        if (*c == '\\') *c = '_';
    BtfSiteCodeText out{};
    const size_t length = std::strlen(plain);
    if (length == kCodeLength && plain[0] != ' ' && !IsQuote(plain[0])) {
        std::memcpy(out.text, plain, length + 1);
        return out;
    }
    // A quote the code does not hold; a code holding both kinds gives up
    // the enclosing kind for '_' (such a code cannot be written otherwise).
    const char quote = std::strchr(plain, '"') ? '\'' : '"';
    out.text[0] = quote;
    for (size_t i = 0; i < length; ++i) out.text[i + 1] = plain[i] == quote ? '_' : plain[i];
    out.text[length + 1] = quote;
    out.text[length + 2] = 0;
    return out;
}

long BtfReadSiteCode(const char* text, uint32_t* code) {
    const long start = CStrConv::SkipWhiteSpace(text);
    const char* p = text + start;
    long length = 0;
    long consumed = 0;
    if (IsQuote(p[0])) {
        for (long i = 1; i <= kCodeLength + 1 && p[i] != 0; ++i) {
            if (p[i] == p[0]) {
                ++p;
                length = i - 1;
                consumed = i + 1;
                break;
            }
        }
    }
    if (consumed == 0) {
        while (length < kCodeLength && p[length] != 0) ++length;
        consumed = length;
    }
    uint32_t value = 0;
    for (long i = 0; i < kCodeLength; ++i)
        value = (value << 8) | (i < length ? static_cast<unsigned char>(p[i]) : 0u);
    *code = value;
    return start + consumed;
}
