// quillmoor-batch: converts a list of radial source files in one process, each
// as one Quillmoor run would, and prints one result line a file. Starting a
// process costs more than converting an hourly file, so the archive route
// hands it a batch at a time.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "Platform.h"
#include "PlatformCapture.h"
#include "PlatformProcess.h"
#include "QuillmoorBatch.h"
#include "cVersion.h"

namespace {

constexpr int kAllConverted = 0;
constexpr int kSomeFailed = 1;
constexpr int kUsage = 2;

int FailUsage(const std::string& message) {
    fprintf(stderr, "quillmoor-batch: %s\n", message.c_str());
    return kUsage;
}

// The work folder must hold nothing: whatever is in it after a run is that
// run's.
bool IsEmptyFolder(const std::string& folder) {
    std::vector<std::string> names;
    return PlatformListFolder(folder.c_str(), &names) == 0 && names.empty();
}

int RunJobs(const XBatchSettings& settings, std::istream& list) {
    PlatformKeepFreedMemory();
    XPlatformCapture capture;
    if (PlatformCaptureOpen(&capture) != 0) {
        fprintf(stderr, "quillmoor-batch: cannot catch the conversions' messages\n");
        return kSomeFailed;
    }
    int status = kAllConverted;
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty()) continue;
        XBatchJob job;
        XBatchResult result;
        if (ParseBatchJob(line, &job)) {
            RunBatchJob(settings, job, &capture, &result);
        } else {
            job.source = line;
            result.status = 1;
            result.message = "not a job line: SOURCE, DESTINATION and CONFIGS between tabs";
        }
        if (result.status != 0) status = kSomeFailed;
        PrintBatchResult(job.source, result);
    }
    PlatformCaptureClose(&capture);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    char version[32] = {};
    CVersion::GetShortVersionString(version);
    CLI::App app{"Converts the radial source files of a job list, each as one Quillmoor run would",
                 "quillmoor-batch"};
    app.set_version_flag("-V,--version", std::string("quillmoor-batch ") + version);
    XBatchSettings settings;
    std::string listPath = "-";
    app.add_option("--mode", settings.mode, "Quillmoor output mode")->capture_default_str();
    app.add_option("--proc-char", settings.procText, "processing text handed to Quillmoor");
    app.add_option("--pattern", settings.pattern,
                   "antenna pattern: -1 unknown, 0 ideal, 1 measured")
        ->capture_default_str();
    app.add_option("--diag", settings.diagFolder, "diagnostics folder");
    app.add_option("--work-folder", settings.workFolder,
                   "an empty folder on the destinations' file system for the outputs being written")
        ->required();
    app.add_option("JOB_LIST", listPath,
                   "lines SOURCE<TAB>DESTINATION<TAB>CONFIGS; - for standard input")
        ->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e, std::cout, std::cerr);
        return kUsage;
    }
    if (!IsEmptyFolder(settings.workFolder))
        return FailUsage("the work folder " + settings.workFolder + " is not an empty folder");
    if (listPath == "-") return RunJobs(settings, std::cin);
    std::ifstream list(listPath);
    if (!list) return FailUsage("cannot read the job list " + listPath);
    return RunJobs(settings, list);
}
