// The netCDF calls of the exporters, with the first failure kept.

#include "cNetcdfOut.h"

CNetcdfOut::~CNetcdfOut() {
    if (mnId >= 0) nc_close(mnId);
}

bool CNetcdfOut::Check(int status) {
    if (mnStatus == NC_NOERR && status != NC_NOERR) mnStatus = status;
    return mnStatus == NC_NOERR;
}

void CNetcdfOut::Create(const char* path, int deflate) {
    mnDeflate = deflate;
    const int format = deflate > 0 ? (NC_NETCDF4 | NC_CLASSIC_MODEL) : NC_64BIT_OFFSET;
    int id = -1;
    if (Check(nc_create(path, NC_CLOBBER | format, &id))) mnId = id;
    // Every value is written, so the library need not prefill.
    int old = 0;
    if (mnId >= 0) Check(nc_set_fill(mnId, NC_NOFILL, &old));
}

void CNetcdfOut::EndDefinitions() {
    if (Check(NC_NOERR)) Check(nc_enddef(mnId));
}

int CNetcdfOut::Close() {
    if (mnId >= 0) {
        Check(nc_close(mnId));
        mnId = -1;
    }
    return mnStatus;
}

int CNetcdfOut::Dimension(const char* name, size_t length) {
    int dim = -1;
    if (Check(NC_NOERR)) Check(nc_def_dim(mnId, name, length, &dim));
    return dim;
}

int CNetcdfOut::Variable(const char* name, nc_type type, const std::vector<int>& dims) {
    int var = -1;
    if (!Check(NC_NOERR)) return var;
    Check(nc_def_var(mnId, name, type, static_cast<int>(dims.size()), dims.data(), &var));
    if (mnDeflate > 0 && !dims.empty()) Check(nc_def_var_deflate(mnId, var, 1, 1, mnDeflate));
    return var;
}

void CNetcdfOut::Text(int var, const char* name, const std::string& text) {
    if (Check(NC_NOERR)) Check(nc_put_att_text(mnId, var, name, text.size(), text.data()));
}

void CNetcdfOut::Doubles(int var, const char* name, nc_type type,
                         const std::vector<double>& values) {
    if (Check(NC_NOERR))
        Check(nc_put_att_double(mnId, var, name, type, values.size(), values.data()));
}

void CNetcdfOut::Put(int var, const double* data) {
    if (Check(NC_NOERR)) Check(nc_put_var_double(mnId, var, data));
}
void CNetcdfOut::Put(int var, const float* data) {
    if (Check(NC_NOERR)) Check(nc_put_var_float(mnId, var, data));
}
void CNetcdfOut::Put(int var, const int* data) {
    if (Check(NC_NOERR)) Check(nc_put_var_int(mnId, var, data));
}
void CNetcdfOut::Put(int var, const signed char* data) {
    if (Check(NC_NOERR)) Check(nc_put_var_schar(mnId, var, data));
}
void CNetcdfOut::Put(int var, const char* data) {
    if (Check(NC_NOERR)) Check(nc_put_var_text(mnId, var, data));
}
