#include "FenwrightVectors.h"

#include "BvkErrors.h"
#include "cLLUVFile.h"

namespace {

// Names `name` in `folder` (a relative folder is taken from the default one).
void NameInFolder(CFileSpec* spec, const char* folder, const char* name) {
    spec->SetToDefaultFolder();
    spec->SetFileSpec(folder);
    spec->SetFileSpec(name);
}

}  // namespace

long ReadRadialVectors(const char* procFolder, std::vector<XVectorSample>* vectors,
                       long* rangeStart, long* rangeEnd, unsigned long* mapTime) {
    vectors->clear();
    *rangeStart = 0;
    *rangeEnd = 0;
    *mapTime = 0;
    CLLUVFile store;
    CFileSpec source;
    NameInFolder(&source, procFolder, kXYUVSourceName);
    long err = store.ImportClassicXYUV(&source, 0, 1);
    if (err != kNoErr) {
        NameInFolder(&source, procFolder, kRadialSourceName);
        // The statistics take range, bearing and speed: the positions and
        // components a full import derives for every vector go unused.
        store.mnVectorType = kLLUVVectorPolar;
        err = store.ImportClassicRadial(&source);
    }
    if (err != kNoErr) return err;

    const long n = store.GetNumberOfVectors();
    vectors->reserve(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i) {
        XCurFullVector full{};
        if (store.GetVectorFromIndex(i, &full) != i) continue;
        vectors->push_back({full.mRBVD.mdRange, full.mRBVD.mdBearing, full.mRBVD.mdVelocity});
    }
    *rangeStart = store.mnRangeStart;
    *rangeEnd = store.mnRangeEnd;
    *mapTime = store.GetOriginTime();
    return kNoErr;
}
