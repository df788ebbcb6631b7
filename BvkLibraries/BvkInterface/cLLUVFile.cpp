#include "cLLUVFile.h"

#include <cstdio>
#include <cstring>

#include "BvkErrors.h"
#include "cGeo.h"
#include "cGeoEarth.h"

CLLUVFile::CLLUVFile()
    : CLLUV(kLLUVMapRadial, kLLUVVectorFull),
      BTFReader(nullptr),
      mnFormatVersion(0),
      mnFormatSubVersion(0),
      mnCombineMethod(0),
      msProcessingComment{},
      msGreatCircle{},
      msGeodVersion{},
      mnColumnMask(0),
      mdDistanceUnitMeters(1000.0),
      mdVelocityUnitMetersPerSecond(0.01),
      msDistanceUnits{},
      msVelocityUnits{} {
    CLLUVFile::ClearInfo();
}

long CLLUVFile::ClearInfo() {
    CLLUV::ClearInfo();
    ClearMeta();
    mdLLUVSpec = 0.0;

    mnFormatVersion = 0;
    mnFormatSubVersion = 0;
    mnCombineMethod = 0;
    mnColumnMask = 0;
    mbTableReady = false;
    msProcessingComment[0] = 0;
    mdDistanceUnitMeters = 1000.0;
    LLUVCopyText(msDistanceUnits, "km");
    mdVelocityUnitMetersPerSecond = 0.01;
    LLUVCopyText(msVelocityUnits, "cm/s");
    // -1: no first order method known (0 is a method).
    mnFirstOrderCalc = -1;

    // The geodesy texts describe the common earth model every position of
    // the file is computed on.
    CGeo geo;  // makes sure the common model exists
    double flattening = 0.0;
    const double radius = CGeo::GetEarthEllipsoidMeters(&flattening, nullptr);
    char name[CGeoEarth::kFullNameSize] = {};
    // The converter chooses the ellipsoid by its list index, which the model
    // keeps as its type; the name is looked up by the index so that such a
    // choice is still named in the file.
    unsigned long type = CGeo::mcEarth->GetEllipsiodType();
    if (type < static_cast<unsigned long>(CGeoEarth::kEllipsoidCount)) type = CGeoEarth::GetEllipsiodTypeForIndex(static_cast<long>(type));
    CGeoEarth::GetEllipsiodFullName(type, name, CGeoEarth::kFullNameSize - 1);
    const double inverseFlattening = flattening != 0.0 ? 1.0 / flattening : 0.0;
    std::snprintf(msGreatCircle, sizeof msGreatCircle, "\"%s\" %.3f  %.12f", name, radius,
                  inverseFlattening);

    const unsigned long version = static_cast<unsigned long>(CGeo::GetVersionNumber());
    const unsigned long date = static_cast<unsigned long>(CGeo::GetVersionDate());
    std::snprintf(msGeodVersion, sizeof msGeodVersion, "\"CGEO\" %lX.%02lX  %04lX %02lX %02lX",
                  (version >> 8) & 0xFF, version & 0xFF, (date >> 16) & 0xFFFF, (date >> 8) & 0xFF,
                  date & 0xFF);
    return kNoErr;
}

long CLLUVFile::SetOriginTime(unsigned long seconds, const char* timeZone) {
    if (timeZone) SetBtfTimeZoneLabel(timeZone, nullptr);
    SetBtfTimeStamp1904(static_cast<double>(seconds));
    return CLLUV::SetOriginTime(seconds, timeZone);
}

long CLLUVFile::SetOriginTime(long year, long month, long day, long hour, long minute, long second,
                              const char* timeZone) {
    return CLLUV::SetOriginTime(year, month, day, hour, minute, second, timeZone);
}

void CLLUVFile::SetSiteCode(unsigned long site) {
    mnBtfSiteCode = static_cast<uint32_t>(site);
    CLLUV::SetSiteCode(site);
}

long CLLUVFile::Finishing() {
    return BTFWriter::Finishing();
}

long CLLUVFile::UnhandledKeyword(char*, char*) {
    return 1;
}

char* CLLUVFile::SetDistanceUnits(double metres, char* name) {
    mdDistanceUnitMeters = metres;
    if (name) LLUVCopyText(msDistanceUnits, name);
    return msDistanceUnits;
}

char* CLLUVFile::SetVelocityUnits(double metresPerSecond, char* name) {
    mdVelocityUnitMetersPerSecond = metresPerSecond;
    if (name) LLUVCopyText(msVelocityUnits, name);
    return msVelocityUnits;
}

void CLLUVFile::SiteInfoToMeta() {
    mnBtfSiteCode = mnSiteCode;
    SetBtfTimeZoneOffsetSeconds(static_cast<double>(mnTimeZoneSeconds));
    SetBtfTimeZoneLabel(msTimeZone, nullptr);
    SetBtfTimeCoverageSeconds(static_cast<double>(mnTimeCoverageSeconds));
    SetBtfTimeStamp1904(static_cast<double>(mnOriginTime));
    mdBtfOriginLongitude = mdOriginLongitude;
    mdBtfOriginLatitude = mdOriginLatitude;
}
