#include "QuillmoorBatch.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "BvkErrors.h"
#include "FSCopyObject.h"
#include "Platform.h"
#include "QuillmoorMain.h"
#include "cFileTool.h"

namespace {

// The program name the outputs carry as their processing tool.
constexpr const char* kQuillmoorName = "Quillmoor";
// Only failures print: the level the route has always run Quillmoor at.
constexpr const char* kQuietLevel = "-1";
// Enough for a run's failure lines; a longer text is cut.
constexpr size_t kCaughtTextLimit = 65536;

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// Quillmoor reads a folder argument as a folder by its closing slash.
std::string FolderArgument(const std::string& folder) {
    return folder.empty() ? folder : Join(folder, "");
}

// The run Quillmoor makes for the command line the route gives it for one
// file; the status as a process would leave it.
long RunQuillmoorFor(const XBatchSettings& settings, const XBatchJob& job) {
    std::string arguments[] = {kQuillmoorName,
                               kQuietLevel,
                               settings.procText,
                               "",
                               FolderArgument(settings.workFolder),
                               job.source,
                               std::to_string(settings.mode),
                               "0",
                               FolderArgument(job.configsFolder),
                               std::to_string(settings.pattern),
                               FolderArgument(settings.diagFolder)};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    long status = QuillmoorMain(static_cast<int>(argv.size() - 1), argv.data());
    return static_cast<unsigned char>(static_cast<int>(status));
}

// The first failure line the run printed.
std::string FailureLine(const std::string& text) {
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (text.compare(start, 7, "Failure") == 0) return text.substr(start, end - start);
        start = end + 1;
    }
    return "";
}

// What the run left in the work folder: its outputs (sorted) and the hidden
// leftovers of writers that failed.
void ListWorkFolder(const std::string& folder, std::vector<std::string>* outputs,
                    std::vector<std::string>* hidden) {
    std::vector<std::string> names;
    PlatformListFolder(folder.c_str(), &names);
    for (const std::string& name : names) (name[0] == '.' ? hidden : outputs)->push_back(name);
    std::sort(outputs->begin(), outputs->end());
}

void RemoveAll(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) FSDeleteObjectTree(Join(folder, name).c_str());
}

// A destination folder that does not exist yet is made, as Quillmoor makes
// its output folder.
long MakeDestination(const std::string& folder) {
    CFileTool destination;
    long err = destination.SetFileSpec(FolderArgument(folder).c_str());
    if (err == kErrNotFound) err = destination.CreateFolder();
    return err;
}

// Renamed over what the destination holds, as mv does; across volumes copied
// with the codes and dates, then removed.
long MoveOutput(const std::string& workFolder, const std::string& name, const std::string& dest) {
    const std::string from = Join(workFolder, name), to = Join(dest, name);
    long err = PlatformRename(from.c_str(), to.c_str(), 0);
    if (err == kErrPlatformOtherVolume) {
        err = FSCopyObject(from.c_str(), dest.c_str(), name.c_str(), 1, nullptr);
        if (err == kNoErr) err = FSDeleteObjectTree(from.c_str());
    }
    return err;
}

std::string Seconds(long long micros) {
    char text[32];
    snprintf(text, sizeof text, "%lld.%03lld", micros / 1000000, micros / 1000 % 1000);
    return text;
}

std::string WithoutTabs(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

}  // namespace

bool ParseBatchJob(const std::string& line, XBatchJob* job) {
    const size_t first = line.find('\t');
    const size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos || line.find('\t', second + 1) != std::string::npos)
        return false;
    job->source = line.substr(0, first);
    job->destFolder = line.substr(first + 1, second - first - 1);
    job->configsFolder = line.substr(second + 1);
    return !job->source.empty() && !job->destFolder.empty();
}

void RunBatchJob(const XBatchSettings& settings, const XBatchJob& job, XPlatformCapture* capture,
                 XBatchResult* result) {
    const long long start = PlatformMicroseconds();
    *result = XBatchResult{};
    std::string caught;
    const bool caughtOk = PlatformCaptureStart(capture) == kNoErr;
    result->status = RunQuillmoorFor(settings, job);
    if (caughtOk) PlatformCaptureStop(capture, &caught, kCaughtTextLimit);

    std::vector<std::string> outputs, hidden;
    ListWorkFolder(settings.workFolder, &outputs, &hidden);
    RemoveAll(settings.workFolder, hidden);
    if (result->status != 0 || outputs.empty()) {
        result->message = FailureLine(caught);
        if (result->message.empty())
            result->message =
                "Quillmoor exited with " + std::to_string(result->status) + " and wrote nothing";
        if (result->status == 0) result->status = 1;
        RemoveAll(settings.workFolder, outputs);
    } else {
        long err = MakeDestination(job.destFolder);
        for (const std::string& name : outputs) {
            if (err == kNoErr) err = MoveOutput(settings.workFolder, name, job.destFolder);
            if (err == kNoErr) result->outputs.push_back(Join(job.destFolder, name));
        }
        if (err != kNoErr) {
            result->status = 1;
            result->message = "outputs not moved into " + job.destFolder;
            result->outputs.clear();
            std::vector<std::string> left, leftHidden;
            ListWorkFolder(settings.workFolder, &left, &leftHidden);
            RemoveAll(settings.workFolder, left);
            RemoveAll(settings.workFolder, leftHidden);
        }
    }
    result->micros = PlatformMicroseconds() - start;
}

void PrintBatchResult(const std::string& source, const XBatchResult& result) {
    std::string line = std::to_string(result.status) + '\t' + Seconds(result.micros) + '\t' +
                       (result.status == 0 ? "-" : WithoutTabs(result.message)) + '\t' + source;
    for (const std::string& output : result.outputs) line += '\t' + output;
    line += '\n';
    fwrite(line.data(), 1, line.size(), stdout);
    fflush(stdout);
}
