// Adds QC results to an LLUV file's text. The text is walked line by line and
// copied; the QC lines are inserted before the vector table's first
// announcement, the column count and codes of that table are widened, its
// two title lines and its rows get the flag columns at their end. Lines keep
// their own line ends.

#include "cRadialQCWrite.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "BvkErrors.h"

namespace {

constexpr char kFixedLines[][96] = {
    "%QCFileVersion: 2.0.0",
    "%QCReference: Quality control reference: IOOS QARTOD HF Radar ver 2.0 June 2022",
    "%QCFlagDefinitions: 1=pass 2=not_evaluated 3=suspect 4=fail 9=missing_data",
    "%QCTestFormat: \"test_name [qc_thresholds]: test_result\"",
};

// Titles and values of a flag column: seven characters each.
constexpr char kTitleFormat[] = "   %4.4s";
constexpr char kUnitTitle[] = " (flag)";
constexpr char kValueFormat[] = " %6d";

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string CodeText(int test) {
    const uint32_t code = RadialQCCode(test);
    const char text[5] = {static_cast<char>(code >> 24), static_cast<char>(code >> 16),
                          static_cast<char>(code >> 8), static_cast<char>(code), 0};
    return text;
}

std::string Thresholds(int test, const XRadialQCResult& result, const XRadialQCOptions& o) {
    switch (test) {
        case kQCMaxSpeed:
            return Format("max=%g cm/s high=%g cm/s", o.maxSpeed, o.highSpeed);
        case kQCValidLocation:
            return Format("VFLG=%u", kQCVectorFlagLand);
        case kQCRadialCount:
            return Format("min=%ld low=%ld radials", o.minRadials, o.lowRadials);
        case kQCSpatialMedian:
            return Format("range=%g cells angle=%g deg cell=%g deg max_diff=%g cm/s",
                          o.medianRangeCells, o.medianAngle, result.angularResolution,
                          o.medianMaxDiff);
        case kQCTemporalGradient:
            return Format("warn=%g cm/s/h fail=%g cm/s/h", o.gradientWarn, o.gradientFail);
        case kQCAverageBearing:
            return Format("reference=%g deg warn=%g deg fail=%g deg", o.referenceBearing,
                          o.bearingWarn, o.bearingFail);
        case kQCStuckValue:
            return Format("hours=2 resolution=%g cm/s", o.stuckResolution);
        case kQCPrimary:
            return "worst of the tests run";
        default:
            return "none";
    }
}

bool StartsWith(std::string_view line, std::string_view start) {
    return line.substr(0, start.size()) == start;
}

bool IsAnnouncement(std::string_view line) {
    return StartsWith(line, "%TableType:") || StartsWith(line, "%TableColumns:") ||
           StartsWith(line, "%TableColumnTypes:") || StartsWith(line, "%TableRows:") ||
           StartsWith(line, "%TableStart:");
}

// A keyword line whose name begins with "QC" (any case).
bool IsQCKeyword(std::string_view line) {
    return line.size() > 3 && line[0] == '%' && (line[1] == 'Q' || line[1] == 'q') &&
           (line[2] == 'C' || line[2] == 'c') && line.find(':') != std::string_view::npos;
}

// A row of the open table: a data line, or "% " text, as the reader takes it.
bool IsTableRow(std::string_view line) {
    return !line.empty() && (line[0] != '%' || StartsWith(line, "% "));
}

}  // namespace

void RadialQCAppendFlag(std::string& text, int flag) {
    // Flags are single digits: six blanks and the digit, as the format
    // writes them, without going through it for every row.
    if (flag >= 0 && flag <= 9) {
        text.append(6, ' ');
        text += static_cast<char>('0' + flag);
        return;
    }
    char value[32];
    std::snprintf(value, sizeof value, kValueFormat, flag);
    text += value;
}

std::string RadialQCKeywordLines(const XRadialQCResult& result, const XRadialQCOptions& options,
                                 const char* lineEnd) {
    std::string lines;
    for (const char* fixed : kFixedLines) lines.append(fixed).append(lineEnd);
    for (int t = 0; t < kQCTestCount; ++t) {
        if (!result.ran[t]) continue;
        const std::string where =
            RadialQCIsFileTest(t) ? Format("%d", result.fileFlag[t]) : "column " + CodeText(t);
        lines += "%QCTest: " + std::string(RadialQCName(t)) + " (" + CodeText(t) + ") [" +
                 Thresholds(t, result, options) + "]: " + where + lineEnd;
    }
    return lines;
}

long RadialQCInsert(const std::string& text, const XRadialQCResult& result,
                    const XRadialQCOptions& options, std::string* out) {
    enum { kBeforeTable, kAnnounced, kInTable, kAfterTable } state = kBeforeTable;
    long columnsAdded = 0;
    for (int t = 0; t < kQCTestCount; ++t) columnsAdded += result.ran[t] ? 1 : 0;
    const size_t rows = result.rowFlags[kQCPrimary].size();
    size_t row = 0;
    int titleLines = 0;
    std::string added;

    out->clear();
    out->reserve(text.size() + rows * static_cast<size_t>(columnsAdded) * 7 + 1024);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        size_t next = end;
        if (next < text.size())
            next +=
                (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        const std::string_view line(text.data() + pos, end - pos);
        pos = next;

        if (IsQCKeyword(line)) return kQCErrAlreadyChecked;
        if (state == kBeforeTable && (IsAnnouncement(line) || IsTableRow(line))) {
            const std::string lineEnd = next > end ? text.substr(end, next - end) : "\n";
            out->append(RadialQCKeywordLines(result, options, lineEnd.c_str()));
            state = IsAnnouncement(line) ? kAnnounced : kInTable;
        }

        added.clear();
        if (state == kAnnounced && StartsWith(line, "%TableColumns:")) {
            const long columns = std::strtol(std::string(line.substr(14)).c_str(), nullptr, 10);
            out->append(Format("%%TableColumns: %ld", columns + columnsAdded));
            out->append(text, end, next - end);
            continue;
        }
        if (state == kAnnounced && StartsWith(line, "%TableColumnTypes:")) {
            if (line.back() != ' ') added += ' ';
            for (int t = 0; t < kQCTestCount; ++t)
                if (result.ran[t]) added += CodeText(t) + ' ';
        } else if (state == kAnnounced && StartsWith(line, "%TableStart:")) {
            state = kInTable;
        } else if (state == kInTable && StartsWith(line, "%TableEnd:")) {
            if (row != rows) return kQCErrRowCount;
            state = kAfterTable;
        } else if (state == kInTable && StartsWith(line, "%%") && row == 0 && titleLines < 2) {
            for (int t = 0; t < kQCTestCount; ++t) {
                if (!result.ran[t]) continue;
                added += titleLines == 0 ? Format(kTitleFormat, CodeText(t).c_str()) : kUnitTitle;
            }
            ++titleLines;
        } else if (state == kInTable && IsTableRow(line)) {
            if (row >= rows) return kQCErrRowCount;
            for (int t = 0; t < kQCTestCount; ++t) {
                if (!result.ran[t]) continue;
                const int flag =
                    RadialQCIsFileTest(t) ? result.fileFlag[t] : result.rowFlags[t][row];
                RadialQCAppendFlag(added, flag);
            }
            ++row;
        }
        out->append(line);
        out->append(added);
        out->append(text, end, next - end);
    }
    // A table that is announced but never started is no table.
    if (state == kBeforeTable || state == kAnnounced) return kQCErrNoVectorTable;
    if (state != kAfterTable && row != rows) return kQCErrRowCount;
    return kNoErr;
}
