// lluv netcdf: writes a netCDF file of each radial LLUV file, NAME.nc beside
// it or in --out. Each output takes its name only once it is complete.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "LluvCommand.h"
#include "cFileTool.h"
#include "cRadialNetcdf.h"
#include "cVersion.h"

namespace {

struct XNetcdfArguments {
    std::vector<std::string> files;
    std::string layout = "tabular";
    std::string outFolder;
    int deflate = 0;
};

std::string NetcdfErrorText(long code) {
    switch (code) {
        case kNetcdfErrLibrary:
            return std::string("netCDF library: ") + RadialNetcdfLastLibraryError();
        case kNetcdfErrNoGrid:
            return "no range cells or bearing grid for the gridded layout (use --layout tabular)";
        case kNetcdfErrGridClash:
            return "rows share a grid cell or lie off the bearing grid (use --layout tabular)";
        case kNetcdfErrGridTooLarge:
            return "range cells beyond any radial map (use --layout tabular)";
        case kLLUVTablesErrNoVectorTable:
            return "no vector table";
        case kLLUVTablesErrTooLarge:
            return "too large for a radial file";
        case kNetcdfErrTooManyNames:
            return "more keywords or columns than any radial file";
        default:
            return LluvErrorText(code);
    }
}

bool ConvertOneFile(const XNetcdfArguments& args, const XRadialNetcdfOptions& options,
                    const std::string& given) {
    CFileTool input;
    if (input.SetFileSpec(given.c_str()) != kNoErr || !input.DoesObjectExist(1) ||
        input.IsFolder()) {
        LluvComplain(given, LluvErrorText(kErrNotFound));
        return false;
    }
    char name[256] = {};
    input.GetFileName(name, sizeof name);
    std::string outName = name;
    const size_t dot = outName.rfind('.');
    if (dot != std::string::npos && dot > 0) outName.resize(dot);
    outName += ".nc";

    CFileTool output;
    if (args.outFolder.empty()) {
        output.SetFileSpec(&input);
        output.SetToParent();
    } else {
        output.SetFileSpec(args.outFolder.c_str());
    }
    output.SetFileSpec(outName.c_str());  // inside that folder
    char inputPath[4096] = {}, outputPath[4096] = {};
    input.GetFilePath(inputPath, sizeof inputPath);
    output.GetFilePath(outputPath, sizeof outputPath);
    if (std::string(inputPath) == outputPath) {
        LluvComplain(given, "the netCDF file would replace the input; give --out DIR");
        return false;
    }

    const long err = RadialNetcdfFile(&input, &output, options);
    if (err != kNoErr) {
        LluvComplain(given, NetcdfErrorText(err));
        return false;
    }
    char path[4096] = {};
    output.GetFilePath(path, sizeof path);
    std::printf("%s\n", path);
    return true;
}

}  // namespace

std::function<int()> SetUpNetcdfCommand(CLI::App* command) {
    auto args = std::make_shared<XNetcdfArguments>();
    command->add_option("FILE", args->files, "Radial LLUV files")->required();
    command
        ->add_option("--layout", args->layout, "One row per observation, or a range x bearing grid")
        ->check(CLI::IsMember({"tabular", "gridded"}))
        ->capture_default_str();
    command
        ->add_option("--out", args->outFolder,
                     "Folder for the netCDF files (default: beside each file)")
        ->check(CLI::ExistingDirectory);
    command
        ->add_option("--deflate", args->deflate,
                     "Compression level 1-9 (netCDF-4); 0 none (netCDF classic)")
        ->check(CLI::Range(0, 9))
        ->capture_default_str();
    return [args]() {
        char version[64] = {};
        CVersion::GetShortVersionString(version);
        XRadialNetcdfOptions options;
        options.layout = args->layout == "gridded" ? kNetcdfGridded : kNetcdfTabular;
        options.deflate = args->deflate;
        options.tool = std::string("lluv ") + version;
        int status = kLluvOk;
        for (const std::string& file : args->files)
            if (!ConvertOneFile(*args, options, file)) status = kLluvFileFailed;
        return status;
    };
}
