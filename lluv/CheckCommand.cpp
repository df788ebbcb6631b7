// lluv check: says for each radial LLUV file what is wrong with it, by the
// reader's own checks and the syntax test. Results on standard output.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "LluvCommand.h"
#include "cFileTool.h"
#include "cRadialQCFile.h"

namespace {

struct XSyntaxProblem {
    uint32_t bit;
    const char* text;
};

// In the order the syntax test states its conditions.
constexpr XSyntaxProblem kSyntaxProblems[] = {
    {kQCSyntaxNoNameStamp, "file name has no YYYY_MM_DD_HHMM stamp"},
    {kQCSyntaxNoRows, "vector table has no rows"},
    {kQCSyntaxMissingKeyword, "missing keyword"},
    {kQCSyntaxStampMismatch, "name stamp differs from %TimeStamp"},
    {kQCSyntaxRowWidth, "rows with a value count other than %TableColumnTypes names"},
    {kQCSyntaxOriginRange, "origin outside +-90 latitude or +-180 longitude"},
};

constexpr XSyntaxProblem kRequiredKeywords[] = {
    {kQCKeyFileType, "FileType"},       {kQCKeySite, "Site"},
    {kQCKeyTimeStamp, "TimeStamp"},     {kQCKeyOrigin, "Origin"},
    {kQCKeyPatternType, "PatternType"}, {kQCKeyTimeZone, "TimeZone"},
};

std::string Problems(uint32_t problems, const XRadialQCFileFacts& facts) {
    std::string text;
    for (const XSyntaxProblem& problem : kSyntaxProblems) {
        if (!(problems & problem.bit)) continue;
        if (!text.empty()) text += "; ";
        text += problem.text;
        if (problem.bit == kQCSyntaxMissingKeyword) {
            for (const XSyntaxProblem& key : kRequiredKeywords)
                if (!(facts.keywords & key.bit)) text += std::string(" %") + key.text;
        }
        if (problem.bit == kQCSyntaxRowWidth)
            text += " (" + std::to_string(facts.rowsOfWrongWidth) + ")";
    }
    return text;
}

bool CheckFile(const std::string& given) {
    CFileTool input;
    if (input.SetFileSpec(given.c_str()) != kNoErr || !input.DoesObjectExist(1) ||
        input.IsFolder()) {
        std::printf("%s: FAIL: %s\n", given.c_str(), LluvErrorText(kErrNotFound).c_str());
        return false;
    }
    auto store = std::make_unique<CRadialQCFile>();
    const long err = store->ReadForQC(&input);
    if (err != kNoErr) {
        std::printf("%s: FAIL: %s\n", given.c_str(), LluvErrorText(err).c_str());
        return false;
    }
    uint32_t problems = 0;
    if (RadialQCSyntax(*store, store->mFacts, &problems) == kQCPass) {
        std::printf("%s: ok\n", given.c_str());
        return true;
    }
    std::printf("%s: FAIL: %s\n", given.c_str(), Problems(problems, store->mFacts).c_str());
    return false;
}

}  // namespace

std::function<int()> SetUpCheckCommand(CLI::App* command) {
    auto files = std::make_shared<std::vector<std::string>>();
    command->add_option("FILE", *files, "Radial LLUV files")->required();
    return [files]() {
        int status = kLluvOk;
        for (const std::string& file : *files)
            if (!CheckFile(file)) status = kLluvFileFailed;
        return status;
    };
}
