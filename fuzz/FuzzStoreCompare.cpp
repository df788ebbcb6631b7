#include "FuzzStoreCompare.h"

#include "FuzzScratch.h"
#include "cLLUV.h"

namespace {

void Same(const char* what, long index, double a, double b, double tolerance) {
    if (!FuzzSameNumber(a, b, tolerance)) FuzzFail(what, index, a, b);
}

}  // namespace

void FuzzCompareStores(const CLLUV& written, const CLLUV& read, double tolerance) {
    Same("site code", -1, written.mnSiteCode, read.mnSiteCode, 0);
    Same("origin time", -1, written.mnOriginTime, read.mnOriginTime, 0);
    Same("origin latitude", -1, written.mdOriginLatitude, read.mdOriginLatitude, tolerance);
    Same("origin longitude", -1, written.mdOriginLongitude, read.mdOriginLongitude, tolerance);
    Same("vector count", -1, written.mnVectors, read.mnVectors, 0);
    for (long i = 0; i < written.mnVectors; ++i) {
        if (written.mpRBVD != nullptr && read.mpRBVD != nullptr) {
            const XRBVDVector& a = written.mpRBVD[i];
            const XRBVDVector& b = read.mpRBVD[i];
            Same("range", i, a.mdRange, b.mdRange, tolerance);
            Same("bearing", i, a.mdBearing, b.mdBearing, tolerance);
            Same("speed", i, a.mdVelocity, b.mdVelocity, tolerance);
            Same("direction", i, a.mdDirection, b.mdDirection, tolerance);
        }
        if (written.mpLLUV != nullptr && read.mpLLUV != nullptr) {
            const XLLUVVector& a = written.mpLLUV[i];
            const XLLUVVector& b = read.mpLLUV[i];
            Same("longitude", i, a.mdLongitude, b.mdLongitude, tolerance);
            Same("latitude", i, a.mdLatitude, b.mdLatitude, tolerance);
            Same("east velocity", i, a.mdVelocityU, b.mdVelocityU, tolerance);
            Same("north velocity", i, a.mdVelocityV, b.mdVelocityV, tolerance);
        }
    }
}
