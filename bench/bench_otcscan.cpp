// The OTC result scan over pages of growing length. Every shape must stay linear in
// the page length, also when no hit has a maker element of its own (each hit then
// looks far ahead for one) and when the page never closes its last font element.
#include <benchmark/benchmark.h>

#include <QString>

#include "otc/OtcSearch.h"

using namespace Qt::Literals::StringLiterals;

namespace {

enum Shape { WithMakers, SharedMakerAtEnd, NoMakers, UnclosedMakers };

QString Page(int hits, Shape shape)
{
    QString page = u"<html><body><p>次へ</p><table>\n"_s;
    for (int i = 0; i < hits; ++i) {
        page += u"<tr><td><a href=\"/downfiles/otc/PDF/o%1.pdf\"><b>製品%1</b></a><br>"_s.arg(i);
        if (shape == WithMakers)
            page += u"<font size=\"-1\">製薬%1</font>"_s.arg(i);
        if (shape == UnclosedMakers)
            page += u"<font size=\"-1\">製薬%1"_s.arg(i);
        page += u"</td></tr>\n"_s;
    }
    if (shape == SharedMakerAtEnd)
        page += u"<font size=\"-1\">共通</font>"_s;
    return page + u"</table><p>前へ 次へ</p></body></html>"_s;
}

void ScanOtcPage(benchmark::State &state)
{
    const QString page = Page(int(state.range(0)), Shape(state.range(1)));
    for (auto _ : state) {
        OtcScan scan = ScanOtcResults(page);
        benchmark::DoNotOptimize(scan);
    }
    state.SetComplexityN(page.size());
    state.SetBytesProcessed(state.iterations() * page.size() * qsizetype(sizeof(QChar)));
}

} // namespace

BENCHMARK(ScanOtcPage)
    ->ArgsProduct({benchmark::CreateRange(100, 6400, 4), {WithMakers, SharedMakerAtEnd, NoMakers, UnclosedMakers}})
    ->ArgNames({"hits", "shape"})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
