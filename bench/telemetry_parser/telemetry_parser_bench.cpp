// Parsing one realistic datagram: ParseTelemetry against the C library's
// sscanf with the bounded template (the reference), in the same run.
#include <benchmark/benchmark.h>

#include "app/telemetry_parser.h"
#include "testing/support/scanf_reference.h"

namespace {

const char kDatagram[] =
    "src=export.lua;asl=1523.4172;agl=1200.25;mbr=0;vvi=-3.2541;aoa=4.125;bal=0.0123;"
    "pit=0.0521;bnk=-0.1044;yaw=1.2031;rpi=0;rbk=0;mch=0.7412;ias=231.504;tas=245.117;"
    "ras=240.06;glo=1.0213;noz=0.6;tki=2850.77;tke=1200;flw=0.8512;rpl=87.512;rpr=87.409;"
    "egl=650.25;egr=648.91;lnd=0;brk=0;epu=0;oil=1;chf=0;flr=0;loc=0;gds=0;crs=0;rmi=0;"
    "dis=12.5;bea=1.5708;hdg=2.1034;ded=0;mod=NAV ;sub=ILS ;acs=A-10C \n";

void ParseTelemetryBench(benchmark::State& state) {
    vareko::TelemetrySample sample{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(vareko::ParseTelemetry(kDatagram, sample));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ParseTelemetryBench);

void SscanfTemplateBench(benchmark::State& state) {
    vareko::TelemetrySample sample{};
    for (auto _ : state) {
        vareko::testing::BoundedReferenceParse(kDatagram, sample);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(SscanfTemplateBench);

}  // namespace

BENCHMARK_MAIN();
