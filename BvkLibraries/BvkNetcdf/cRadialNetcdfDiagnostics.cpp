// The time axis of the diagnostic tables.

#include "cRadialNetcdfDiagnostics.h"

#include <cmath>
#include <map>

#include "PlatformTime.h"
#include "cRadialNetcdf.h"

namespace {

double DiagRowTime(const CLLUVTables& file, const XLLUVTable& table, long row) {
    static constexpr uint32_t kDate[] = {LLUVCode("TYRS"), LLUVCode("TMON"), LLUVCode("TDAY"),
                                         LLUVCode("THRS"), LLUVCode("TMIN"), LLUVCode("TSEC")};
    double parts[6];
    for (int i = 0; i < 6; ++i) {
        const long column = table.Find(kDate[i]);
        parts[i] = column >= 0 ? table.Value(row, column) : std::nan("");
        if (!std::isfinite(parts[i]) || std::fabs(parts[i]) > 1e6) return std::nan("");
    }
    if (parts[1] < 1 || parts[1] > 12 || parts[2] < 1 || parts[2] > 31) return std::nan("");
    XCalendarDate date{static_cast<long>(parts[0]),
                       static_cast<long>(parts[1]),
                       static_cast<long>(parts[2]),
                       static_cast<long>(parts[3]),
                       static_cast<long>(parts[4]),
                       0,
                       0};
    const double wall = static_cast<double>(PlatformDateToSeconds(date)) + parts[5];
    return RadialNetcdfUnixTime(file, wall);
}

}  // namespace

XRadialDiagAxis RadialNetcdfDiagAxis(const CLLUVTables& file) {
    XRadialDiagAxis axis;
    const double kNoDate = INFINITY;  // sorts after every date
    std::map<double, long> slots;     // time -> most rows of one table at it
    std::vector<std::vector<double>> rowTimes;
    for (size_t t = 1; t < file.mTables.size(); ++t) {
        const XLLUVTable& table = file.mTables[t];
        std::map<double, long> count;
        rowTimes.emplace_back();
        for (long row = 0; row < table.rows; ++row) {
            double time = DiagRowTime(file, table, row);
            if (std::isnan(time)) time = kNoDate;
            rowTimes.back().push_back(time);
            const long n = ++count[time];
            if (n > slots[time]) slots[time] = n;
        }
    }
    std::map<double, long> firstSlot;
    for (const auto& [time, n] : slots) {
        firstSlot[time] = static_cast<long>(axis.times.size());
        for (long i = 0; i < n; ++i) axis.times.push_back(time == kNoDate ? std::nan("") : time);
    }
    for (const std::vector<double>& times : rowTimes) {
        std::map<double, long> used;
        axis.rowSlot.emplace_back();
        for (double time : times) axis.rowSlot.back().push_back(firstSlot[time] + used[time]++);
    }
    return axis;
}

std::string RadialNetcdfTableName(uint32_t type) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((type >> shift) & 0xFF);
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) text += c;
    }
    return text.empty() ? "table" : text;
}
