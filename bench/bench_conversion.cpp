// Page conversion and table loading. For comparable figures run, for example:
//   QT_QPA_PLATFORM=offscreen bench_conversion --benchmark_repetitions=20
//     --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
// and compare the medians of bytes_per_second.

#include <iconv.h>

#include <cstring>
#include <random>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QByteArray>
#include <QStringDecoder>

#include "conversion/ESConv.h"
#include "retrieval/frmE2SD.h"

namespace {

QString tablePath()
{
    return QStringLiteral(HIBARI_SOURCE_DIR "/data/E2S.param");
}

void appendCode(QByteArray &page, int lead, int trail)
{
    page.append(char(lead));
    page.append(char(trail));
}

// Japanese text as the service writes it: mostly kanji and kana, now and then a
// full-width digit, a NEC special character or half-width katakana.
void appendJapanese(QByteArray &page, std::mt19937 &random, int characters)
{
    std::uniform_int_distribution<int> kind(0, 99), cell(0xA1, 0xFE), kanjiRow(0xB0, 0xCE), kana(0xA1, 0xF3);
    for (int k = 0; k < characters; ++k) {
        const int what = kind(random);
        if (what < 45)
            appendCode(page, kanjiRow(random), cell(random));
        else if (what < 75)
            appendCode(page, 0xA4, kana(random));
        else if (what < 92)
            appendCode(page, 0xA5, std::min(kana(random), 0xF6));
        else if (what < 96)
            appendCode(page, 0xA3, 0xB0 + what % 10);
        else if (what < 98)
            appendCode(page, 0xAD, 0xA1 + what % 20);
        else
            appendCode(page, 0x8E, 0xB1 + what % 40);
    }
}

// A search result page of about 5 MB: table rows of ASCII markup around Japanese names,
// descriptions and dates.
const QByteArray &resultPage()
{
    static const QByteArray page = [] {
        std::mt19937 random(20240401);
        std::uniform_int_distribution<int> length(8, 60), id(100000, 999999);
        QByteArray page = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">"
                          "<title>";
        appendJapanese(page, random, 12);
        page += "</title></head>\n<body>\n<table class=\"result\" width=\"100%\" border=\"0\">\n";
        while (page.size() < 5 * 1000 * 1000) {
            page += "<tr class=\"row\">\n  <td class=\"name\"><a href=\"/sorano/PackinsSearch?id="
                    + QByteArray::number(id(random)) + "&amp;kind=1&amp;page=1\" target=\"_blank\">";
            appendJapanese(page, random, length(random) / 3);
            page += "</a></td>\n  <td class=\"maker\">";
            appendJapanese(page, random, 6);
            page += "</td>\n  <td class=\"text\">";
            appendJapanese(page, random, length(random));
            page += "</td>\n  <td class=\"date\">2024/04/" + QByteArray::number(id(random) % 28 + 1)
                    + "</td>\n  <td><img src=\"/images/pdf.gif\" alt=\"PDF\" width=\"16\" height=\"16\"></td>\n</tr>\n";
        }
        page += "</table>\n</body></html>\n";
        return page;
    }();
    return page;
}

const EucTable &shippedTable()
{
    static EucTable table;
    static const bool loaded = LoadEucTable(table, tablePath());
    Q_UNUSED(loaded);
    return table;
}

void BM_EucToSjis(benchmark::State &state)
{
    const QByteArray &page = resultPage();
    const EucTable &table = shippedTable();
    for (auto _ : state)
        benchmark::DoNotOptimize(EucToSjis(table, page));
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_EucToSjis)->Unit(benchmark::kMillisecond);

void BM_EucToSjisWithWindow(benchmark::State &state)
{
    const QByteArray &page = resultPage();
    const EucTable &table = shippedTable();
    for (auto _ : state)
        benchmark::DoNotOptimize(EucToSjisShown(table, page));
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_EucToSjisWithWindow)->Unit(benchmark::kMillisecond);

// The window alone: load, show, one pass of the event loop, `steps` steps, unload.
void BM_ProgressWindowAlone(benchmark::State &state)
{
    for (auto _ : state) {
        frmE2SD window;
        window.begin(10000);
        window.show();
        QCoreApplication::processEvents();
        for (int percent = 1; percent <= state.range(0); ++percent)
            window.showProgress(percent * 100, percent);
    }
}
BENCHMARK(BM_ProgressWindowAlone)->Arg(0)->Arg(100)->Unit(benchmark::kMillisecond);

// The C library's converter from the same EUC-JP dialect, for comparison.
void BM_IconvEucJpMsToUtf8(benchmark::State &state)
{
    QByteArray page = resultPage();
    QByteArray out(page.size() * 3, Qt::Uninitialized);
    iconv_t cd = iconv_open("UTF-8", "EUC-JP-MS");
    if (cd == iconv_t(-1)) {
        state.SkipWithError("no EUC-JP-MS converter");
        return;
    }
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char *in = page.data();
        size_t inLeft = size_t(page.size());
        char *outPtr = out.data();
        size_t outLeft = size_t(out.size());
        while (inLeft > 0) {
            if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == size_t(-1)) {
                ++in; // skip what it cannot read, as the table does
                --inLeft;
            }
        }
        benchmark::DoNotOptimize(outPtr);
    }
    iconv_close(cd);
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_IconvEucJpMsToUtf8)->Unit(benchmark::kMillisecond);

void BM_QtEucJpDecoder(benchmark::State &state)
{
    const QByteArray &page = resultPage();
    for (auto _ : state) {
        QStringDecoder decoder("EUC-JP");
        benchmark::DoNotOptimize(decoder.decode(page).operator QString());
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_QtEucJpDecoder)->Unit(benchmark::kMillisecond);

void BM_MemoryCopy(benchmark::State &state)
{
    const QByteArray &page = resultPage();
    QByteArray copy(page.size(), Qt::Uninitialized);
    for (auto _ : state) {
        std::memcpy(copy.data(), page.constData(), size_t(page.size()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_MemoryCopy)->Unit(benchmark::kMillisecond);

void BM_LoadEucTable(benchmark::State &state)
{
    const QString path = tablePath();
    for (auto _ : state) {
        EucTable table;
        benchmark::DoNotOptimize(LoadEucTable(table, path));
    }
}
BENCHMARK(BM_LoadEucTable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
