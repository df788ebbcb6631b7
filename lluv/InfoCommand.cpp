// lluv info: what each radial LLUV file holds, as one line per file or as a
// JSON array of one object per file.

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BvkErrors.h"
#include "LluvCommand.h"
#include "cFileTool.h"
#include "cRadialQCFile.h"
#include "cStrConv.h"

namespace {

struct XInfoArguments {
    std::vector<std::string> files;
    bool json = false;
};

struct XExtent {
    bool known = false;
    double low = 0, high = 0;
    void Add(double value) {
        if (!std::isfinite(value)) return;  // JSON has no such numbers
        low = known ? std::min(low, value) : value;
        high = known ? std::max(high, value) : value;
        known = true;
    }
};

struct XFileInfo {
    std::string file;
    std::string site;
    std::string time;
    std::string zone;
    bool hasOrigin = false;
    double latitude = 0, longitude = 0;
    long rows = 0, tables = 0;
    XExtent rangeKm, bearing;
    long qcTests = 0;
    long primary[10] = {};
};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

XFileInfo Gather(const std::string& given, const CRadialQCFile& store) {
    XFileInfo info;
    info.file = given;
    const XRadialQCFileFacts& facts = store.mFacts;
    char site[8] = {};
    if (facts.keywords & kQCKeySite) CStrConv::CharCodeToString(site, store.mnSiteCode);
    info.site = site;
    if (facts.keywords & kQCKeyTimeStamp)
        info.time = Format("%04ld-%02ld-%02ld %02ld:%02ld", facts.stamp[0], facts.stamp[1],
                           facts.stamp[2], facts.stamp[3], facts.stamp[4]);
    info.zone = store.msTimeZone;
    info.hasOrigin = (facts.keywords & kQCKeyOrigin) != 0;
    info.latitude = store.mdOriginLatitude;
    info.longitude = store.mdOriginLongitude;
    info.rows = store.mnVectors;
    info.tables = store.mnTableIndex;
    if (RadialQCHasVelocity(store)) {
        for (long i = 0; i < store.mnVectors; ++i) {
            info.rangeKm.Add(store.mpRBVD[i].mdRange / 1000.0);
            info.bearing.Add(store.mpRBVD[i].mdBearing);
        }
    }
    info.qcTests = store.mnQCTestLines;
    std::copy(std::begin(store.mnPrimaryFlagCount), std::end(store.mnPrimaryFlagCount),
              info.primary);
    return info;
}

std::string OrNone(const std::string& text) {
    return text.empty() ? "none" : text;
}

std::string Line(const XFileInfo& info) {
    std::string line = info.file + ": site " + OrNone(info.site) + ", time " + OrNone(info.time) +
                       " " + OrNone(info.zone) + ", origin ";
    line += info.hasOrigin ? Format("%.7f %.7f", info.latitude, info.longitude) : "none";
    line += Format(", rows %ld, tables %ld", info.rows, info.tables);
    if (info.rangeKm.known)
        line += Format(", range %.4f-%.4f km, bearing %.1f-%.1f deg", info.rangeKm.low,
                       info.rangeKm.high, info.bearing.low, info.bearing.high);
    if (info.qcTests == 0) return line + ", QC none";
    return line + Format(", QC %ld tests, PRIM pass %ld suspect %ld fail %ld", info.qcTests,
                         info.primary[kQCPass], info.primary[kQCSuspect], info.primary[kQCFail]);
}

// A JSON string; bytes outside printable ASCII are written as \u00XX, so the
// single-byte text of the files stays readable whatever its character set.
std::string JsonText(const std::string& text) {
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            json += Format("\\u%04x", c);
        } else {
            json += static_cast<char>(c);
        }
    }
    return json + "\"";
}

std::string JsonTextOrNull(const std::string& text) {
    return text.empty() ? "null" : JsonText(text);
}

std::string JsonPair(const XExtent& extent, const char* format) {
    if (!extent.known) return "null";
    return "[" + Format(format, extent.low) + ", " + Format(format, extent.high) + "]";
}

std::string Json(const XFileInfo& info) {
    std::string json = "{\"file\": " + JsonText(info.file) +
                       ", \"site\": " + JsonTextOrNull(info.site) +
                       ", \"time\": " + JsonTextOrNull(info.time) +
                       ", \"zone\": " + JsonTextOrNull(info.zone) + ", \"origin\": ";
    json += info.hasOrigin ? Format("[%.7f, %.7f]", info.latitude, info.longitude) : "null";
    json += Format(", \"rows\": %ld, \"tables\": %ld", info.rows, info.tables);
    json += ", \"range_km\": " + JsonPair(info.rangeKm, "%.4f");
    json += ", \"bearing_deg\": " + JsonPair(info.bearing, "%.1f");
    if (info.qcTests == 0) return json + ", \"qc\": null}";
    return json + Format(
                      ", \"qc\": {\"tests\": %ld, \"primary\": {\"pass\": %ld, "
                      "\"not_evaluated\": %ld, \"suspect\": %ld, \"fail\": %ld}}}",
                      info.qcTests, info.primary[kQCPass], info.primary[kQCNotEvaluated],
                      info.primary[kQCSuspect], info.primary[kQCFail]);
}

}  // namespace

std::function<int()> SetUpInfoCommand(CLI::App* command) {
    auto args = std::make_shared<XInfoArguments>();
    command->add_option("FILE", args->files, "Radial LLUV files")->required();
    command->add_flag("--json", args->json, "Print a JSON array of one object per file");
    return [args]() {
        int status = kLluvOk;
        std::vector<std::string> objects;
        for (const std::string& given : args->files) {
            CFileTool input;
            long err = kErrNotFound;
            auto store = std::make_unique<CRadialQCFile>();
            if (input.SetFileSpec(given.c_str()) == kNoErr && input.DoesObjectExist(1) &&
                !input.IsFolder())
                err = store->ReadForQC(&input);
            if (err != kNoErr) {
                LluvComplain(given, LluvErrorText(err));
                status = kLluvFileFailed;
                continue;
            }
            const XFileInfo info = Gather(given, *store);
            if (args->json)
                objects.push_back(Json(info));
            else
                std::printf("%s\n", Line(info).c_str());
        }
        if (args->json) {
            std::printf("[");
            for (size_t i = 0; i < objects.size(); ++i)
                std::printf("%s\n  %s", i ? "," : "", objects[i].c_str());
            std::printf("%s]\n", objects.empty() ? "" : "\n");
        }
        return status;
    };
}
