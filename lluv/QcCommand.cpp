// lluv qc: writes QC'd copies of radial LLUV files. The input is replaced
// only when asked (--in-place); every output takes its name only once it is
// complete.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "LluvCommand.h"
#include "cFileTool.h"
#include "cRadialQCFile.h"

namespace {

struct XQcArguments {
    std::vector<std::string> files;
    std::string previousFolder;
    std::string outFolder;
    bool inPlace = false;
    double referenceBearing = 0;
    XRadialQCOptions options;
};

std::string PathOf(const CFileSpec& spec) {
    char path[4096] = {};
    spec.GetFilePath(path, sizeof path);
    return path;
}

// True when the file was checked and its copy written.
bool CheckOneFile(const XQcArguments& args, const std::string& given) {
    CFileTool input;
    if (input.SetFileSpec(given.c_str()) != kNoErr || !input.DoesObjectExist(1) ||
        input.IsFolder()) {
        LluvComplain(given, LluvErrorText(kErrNotFound));
        return false;
    }
    char name[256] = {};
    input.GetFileName(name, sizeof name);

    CFileTool earlier;
    if (args.previousFolder.empty()) {
        earlier.SetFileSpec(&input);
        earlier.SetToParent();
    } else {
        earlier.SetFileSpec(args.previousFolder.c_str());
    }

    CFileTool output;
    if (args.inPlace) {
        output.SetFileSpec(&input);
    } else {
        output.SetFileSpec(args.outFolder.empty() ? "." : args.outFolder.c_str());
        output.SetFileSpec(name);  // inside that folder
        if (PathOf(output) == PathOf(input)) {
            LluvComplain(given, "the copy would replace the input; give --out DIR or --in-place");
            return false;
        }
    }

    XRadialQCResult result;
    const long err = RadialQCFile(&input, &earlier, &output, args.options, &result);
    if (err != kNoErr) {
        LluvComplain(given, LluvErrorText(err));
        return false;
    }
    long counts[5] = {};
    for (uint8_t flag : result.rowFlags[kQCPrimary])
        if (flag < 5) ++counts[flag];
    std::printf("%s: PRIM pass %ld suspect %ld fail %ld of %zu rows\n", PathOf(output).c_str(),
                counts[kQCPass], counts[kQCSuspect], counts[kQCFail],
                result.rowFlags[kQCPrimary].size());
    return true;
}

}  // namespace

std::function<int()> SetUpQcCommand(CLI::App* command) {
    auto args = std::make_shared<XQcArguments>();
    XRadialQCOptions& o = args->options;
    command->add_option("FILE", args->files, "Radial LLUV files")->required();
    command
        ->add_option("--previous-folder", args->previousFolder,
                     "Where the earlier hours are (default: each file's folder)")
        ->check(CLI::ExistingDirectory);
    auto* out = command
                    ->add_option("--out", args->outFolder,
                                 "Folder for the QC'd copies (default: the current folder)")
                    ->check(CLI::ExistingDirectory);
    command->add_flag("--in-place", args->inPlace, "Replace each input by its QC'd copy")
        ->excludes(out);
    command->add_option("--max-speed", o.maxSpeed, "Q202 fail above, cm/s")->capture_default_str();
    command->add_option("--high-speed", o.highSpeed, "Q202 suspect above, cm/s")
        ->capture_default_str();
    command->add_option("--min-radials", o.minRadials, "Q204 fail below")->capture_default_str();
    command->add_option("--low-radials", o.lowRadials, "Q204 suspect up to")->capture_default_str();
    command->add_option("--median-range-cells", o.medianRangeCells, "Q205 range window, cells")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    command->add_option("--median-angle", o.medianAngle, "Q205 bearing window, degrees")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    command->add_option("--median-max-diff", o.medianMaxDiff, "Q205 fail above, cm/s")
        ->capture_default_str();
    command
        ->add_option("--angular-resolution", o.angularResolution,
                     "Q205 degrees per bearing cell (default: the file's bearing grid)")
        ->check(CLI::PositiveNumber);
    command->add_option("--gradient-warn", o.gradientWarn, "Q206 suspect from, cm/s per hour")
        ->capture_default_str();
    command->add_option("--gradient-fail", o.gradientFail, "Q206 fail from, cm/s per hour")
        ->capture_default_str();
    auto* reference =
        command->add_option("--reference-bearing", args->referenceBearing,
                            "Q207 the site's reference bearing, degrees (Q207 runs only with it)");
    command->add_option("--bearing-warn", o.bearingWarn, "Q207 suspect from, degrees")
        ->capture_default_str();
    command->add_option("--bearing-fail", o.bearingFail, "Q207 fail from, degrees")
        ->capture_default_str();
    command->add_option("--stuck-resolution", o.stuckResolution, "Q209 resolution, cm/s")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    return [args, reference]() {
        args->options.hasReferenceBearing = reference->count() > 0;
        args->options.referenceBearing = args->referenceBearing;
        int status = kLluvOk;
        for (const std::string& file : args->files)
            if (!CheckOneFile(*args, file)) status = kLluvFileFailed;
        return status;
    };
}
