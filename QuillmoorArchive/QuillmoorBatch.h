#pragma once
// Many conversions in one process: each job is the run one Quillmoor process
// makes for one source file, with the same arguments, so that its outputs are
// the same bytes. The outputs are written into a work folder of their own and
// renamed into the job's destination once the run succeeded, as the archive
// route has always done with per-file folders; a failed run leaves nothing.

#include <string>
#include <vector>

#include "PlatformCapture.h"

// The arguments every job shares, as Quillmoor's command line has them.
struct XBatchSettings {
    std::string procText;
    long mode = 1;
    long pattern = -1;
    std::string diagFolder;
    // Empty between jobs; on the file system of the destinations, so that an
    // output moves by a rename.
    std::string workFolder;
};

// One line of the job list: "SOURCE<TAB>DESTINATION<TAB>CONFIGS" (CONFIGS may
// be empty: Quillmoor's default).
struct XBatchJob {
    std::string source;
    std::string destFolder;
    std::string configsFolder;
};

struct XBatchResult {
    long status = 0;  // as Quillmoor's exit status: 0 to 255
    long long micros = 0;
    std::string message;               // the run's failure line, empty on success
    std::vector<std::string> outputs;  // paths in the destination folder
};

// False when the line is not a job.
bool ParseBatchJob(const std::string& line, XBatchJob* job);

// Runs one job: Quillmoor's run in this process with its printing caught,
// then the outputs moved into place (or removed, when the run failed).
void RunBatchJob(const XBatchSettings& settings, const XBatchJob& job, XPlatformCapture* capture,
                 XBatchResult* result);

// "STATUS<TAB>SECONDS<TAB>MESSAGE<TAB>SOURCE[<TAB>OUTPUT]...", MESSAGE - on
// success, written and flushed at once so that a batch that dies later keeps it.
void PrintBatchResult(const std::string& source, const XBatchResult& result);
