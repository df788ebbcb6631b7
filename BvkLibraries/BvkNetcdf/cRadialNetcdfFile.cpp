// A radial file to its netCDF file, atomically: written under a temporary
// name in the target folder, renamed when complete, removed on failure.

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "BvkErrors.h"
#include "Platform.h"
#include "cFileSpec.h"
#include "cRadialNetcdf.h"

long RadialNetcdfFile(CFileSpec* input, CFileSpec* output, const XRadialNetcdfOptions& options) {
    if (options.deflate < 0 || options.deflate > 9) return kNetcdfErrBadOption;
    std::unique_ptr<CLLUVTables> file;
    long err = kNoErr;
    try {
        file = std::make_unique<CLLUVTables>();
        err = file->ReadTables(input);
    } catch (const std::bad_alloc&) {
        err = kErrOutOfMemory;
    }
    if (err != kNoErr) return err;

    char path[4096] = {};
    char name[256] = {};
    output->GetFilePath(path, sizeof path);
    output->GetFileName(name, sizeof name);
    const size_t pathLength = std::strlen(path);
    const std::string folder(path, pathLength - std::min(pathLength, std::strlen(name)));
    std::string temporary;
    int16_t stream = 0;
    if ((err = PlatformCreateTempStream(folder.c_str(), name, &temporary, &stream)) != kNoErr)
        return err;
    PlatformCloseStream(stream);
    err = RadialNetcdfWrite(*file, temporary.c_str(), options);
    if (err == kNoErr) err = PlatformRename(temporary.c_str(), path, 0);
    if (err != kNoErr) PlatformDeleteObject(temporary.c_str());
    return err;
}
