#pragma once
// A netCDF file being written, as the exporters need it: the first failure
// of the library is kept and every later call is skipped, so a writer states
// its steps without checking each one and asks once at the end.

#include <netcdf.h>

#include <string>
#include <vector>

class CNetcdfOut {
  public:
    CNetcdfOut() = default;
    CNetcdfOut(const CNetcdfOut&) = delete;
    CNetcdfOut& operator=(const CNetcdfOut&) = delete;
    ~CNetcdfOut();

    // Creates (or replaces) `path`; a deflate level above 0 makes it netCDF-4.
    void Create(const char* path, int deflate);
    // Ends the definitions; afterwards only data can be put.
    void EndDefinitions();
    // Closes the file; the first failure of all, or NC_NOERR.
    int Close();

    int Dimension(const char* name, size_t length);
    // A variable over `dims` (none for a scalar), compressed when asked.
    int Variable(const char* name, nc_type type, const std::vector<int>& dims);
    void Text(int var, const char* name, const std::string& text);
    void Doubles(int var, const char* name, nc_type type, const std::vector<double>& values);
    void Put(int var, const double* data);
    void Put(int var, const float* data);
    void Put(int var, const int* data);
    void Put(int var, const signed char* data);
    void Put(int var, const char* data);

    int Status() const { return mnStatus; }
    bool Check(int status);

  private:
    int mnId = -1;
    int mnDeflate = 0;
    int mnStatus = NC_NOERR;
};
