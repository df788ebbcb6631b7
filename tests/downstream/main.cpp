// Reads an LLUV file with the installed libraries and measures one geodesic:
//   lluv-origin FILE.ruv
#include <cstdio>

#include "cFileSpec.h"
#include "cGeo.h"
#include "cLLUVFile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: lluv-origin FILE.ruv\n");
        return 2;
    }
    CLLUVFile file;
    CFileSpec spec;
    spec.SetFileSpec(argv[1]);
    const long err = file.ProcessBTFile(&spec, 0, 0);
    if (err != 0) {
        fprintf(stderr, "lluv-origin: cannot read %s (%ld)\n", argv[1], err);
        return 1;
    }
    printf("%ld vectors from %.4f %.4f\n", file.GetNumberOfVectors(), file.GetOriginLatitude(),
           file.GetOriginLongitude());
    // One degree of longitude along the equator.
    CGeo start;
    CGeo end;
    start.SetLatLon(0.0, 0.0);
    end.SetLatLon(0.0, 1.0);
    printf("%.3f m\n", start.GetDistanceMeters(&end));
    return 0;
}
