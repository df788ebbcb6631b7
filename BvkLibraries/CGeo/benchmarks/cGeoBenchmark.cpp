// Time per call of the two geodetic problems on WGS84, over a fixed set of
// pairs of the sizes radar coverage produces (up to a few hundred km), ours
// beside GeographicLib's on the same pairs.
#include "cGeo.h"

#include <GeographicLib/Geodesic.hpp>
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct XPair {
    double lat1, lon1, lat2, lon2, azimuth, distance;
};

const std::vector<XPair>& Pairs() {
    static const std::vector<XPair> pairs = [] {
        std::vector<XPair> list;
        std::mt19937_64 random(42);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int i = 0; i < 1024; ++i) {
            XPair p{};
            p.lat1 = -70.0 + 140.0 * unit(random);
            p.lon1 = -180.0 + 360.0 * unit(random);
            p.azimuth = 360.0 * unit(random);
            p.distance = 1000.0 + 299000.0 * unit(random);
            CGeo end;
            end.SetLatLon(p.lat1, p.lon1);
            end.AddDistanceMeters(p.azimuth, p.distance);
            p.lat2 = end.mdLatitude;
            p.lon2 = end.mdLongitude;
            list.push_back(p);
        }
        return list;
    }();
    return pairs;
}

void BM_Inverse(benchmark::State& state) {
    const auto& pairs = Pairs();
    std::vector<CGeo> starts(pairs.size()), ends(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        starts[i].SetLatLon(pairs[i].lat1, pairs[i].lon1);
        ends[i].SetLatLon(pairs[i].lat2, pairs[i].lon2);
    }
    size_t i = 0;
    for (auto _ : state) {
        double azimuth = 0.0, back = 0.0;
        benchmark::DoNotOptimize(starts[i].GetDistanceMeters(&ends[i], &azimuth, &back));
        benchmark::DoNotOptimize(azimuth);
        benchmark::DoNotOptimize(back);
        i = (i + 1) % pairs.size();
    }
}
BENCHMARK(BM_Inverse);

// The per-vector offset east and north of a site: the inverse problem asked
// for the distance and the back azimuth only.
void BM_XYDistance(benchmark::State& state) {
    const auto& pairs = Pairs();
    std::vector<CGeo> starts(pairs.size()), ends(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        starts[i].SetLatLon(pairs[i].lat1, pairs[i].lon1);
        ends[i].SetLatLon(pairs[i].lat2, pairs[i].lon2);
    }
    size_t i = 0;
    for (auto _ : state) {
        double x = 0.0, y = 0.0;
        ends[i].GetXYDistance(&starts[i], &x, &y);
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
        i = (i + 1) % pairs.size();
    }
}
BENCHMARK(BM_XYDistance);

void BM_Direct(benchmark::State& state) {
    const auto& pairs = Pairs();
    size_t i = 0;
    for (auto _ : state) {
        CGeo p;
        p.SetLatLon(pairs[i].lat1, pairs[i].lon1);
        double back = 0.0;
        p.AddDistanceMeters(pairs[i].azimuth, pairs[i].distance, &back);
        benchmark::DoNotOptimize(p.mdLatitude);
        benchmark::DoNotOptimize(p.mdLongitude);
        benchmark::DoNotOptimize(back);
        i = (i + 1) % pairs.size();
    }
}
BENCHMARK(BM_Direct);

// The positions of a radial file's vectors: one site, 72 bearings 5 degrees
// apart at each of 60 range cells of 1.5 km, in the file's order.
void BM_DirectRadialGrid(benchmark::State& state) {
    int cell = 0, bearing = 0;
    for (auto _ : state) {
        CGeo p;
        p.SetLatLon(36.951, -122.0634);
        double back = 0.0;
        p.AddDistanceMeters(bearing * 5.0, (cell + 1) * 1500.0, &back);
        benchmark::DoNotOptimize(p.mdLatitude);
        benchmark::DoNotOptimize(p.mdLongitude);
        benchmark::DoNotOptimize(back);
        if (++bearing == 72) {
            bearing = 0;
            cell = (cell + 1) % 60;
        }
    }
}
BENCHMARK(BM_DirectRadialGrid);

void BM_GeographicLibInverse(benchmark::State& state) {
    const auto& pairs = Pairs();
    const GeographicLib::Geodesic& wgs84 = GeographicLib::Geodesic::WGS84();
    size_t i = 0;
    for (auto _ : state) {
        double distance = 0.0, azimuth = 0.0, back = 0.0;
        wgs84.Inverse(pairs[i].lat1, pairs[i].lon1, pairs[i].lat2, pairs[i].lon2, distance, azimuth,
                      back);
        benchmark::DoNotOptimize(distance);
        benchmark::DoNotOptimize(azimuth);
        benchmark::DoNotOptimize(back);
        i = (i + 1) % pairs.size();
    }
}
BENCHMARK(BM_GeographicLibInverse);

void BM_GeographicLibDirect(benchmark::State& state) {
    const auto& pairs = Pairs();
    const GeographicLib::Geodesic& wgs84 = GeographicLib::Geodesic::WGS84();
    size_t i = 0;
    for (auto _ : state) {
        double lat = 0.0, lon = 0.0, back = 0.0;
        wgs84.Direct(pairs[i].lat1, pairs[i].lon1, pairs[i].azimuth, pairs[i].distance, lat, lon,
                     back);
        benchmark::DoNotOptimize(lat);
        benchmark::DoNotOptimize(lon);
        benchmark::DoNotOptimize(back);
        i = (i + 1) % pairs.size();
    }
}
BENCHMARK(BM_GeographicLibDirect);

}  // namespace

BENCHMARK_MAIN();
