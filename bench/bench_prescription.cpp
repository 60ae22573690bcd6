// A prescription result page of 1000 hits from the moment its bytes arrive: the
// conversion alone, the scan alone, and conversion, scan and filling of the window's
// lists together. The whole sequence should cost no more than twice the conversion.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStringEncoder>

#include "prescription/Form1.h"
#include "prescription/PrescriptionSearch.h"
#include "conversion/ESConv.h"
#include "shell/AppContext.h"
#include "shell/Appearance.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class SilentDesktop final : public Desktop {
public:
    void message(QWidget *, const QString &, const QString &, Icon) override {}
    void openDocument(QWidget *, const QString &) override {}
    void setClipboardText(const QString &) override {}
};

QByteArray ResultPageBytes(int hits)
{
    QString page = u"<HTML><BODY><P>医療用医薬品の検索結果：%1件</P><TABLE border=\"1\">\r\n"_s.arg(hits);
    for (int i = 1; i <= hits; ++i)
        page += u"<TR><TD><A href=\"/sorano/hit/%1/\" target=\"_new\">ヒバリ薬%1錠２０ｍｇ「ひばり」</A></TD></TR>\r\n"
                "<TR><TD><DL><DD>ひばり製薬　血圧降下剤（持続性カルシウム拮抗剤）%1\r\n</DL></TD></TR>\r\n"_s.arg(i);
    page += u"</TABLE><P><A href=\"/sorano/PackinsSearch?start=1001\">次へ</A></P></BODY></HTML>\r\n"_s;
    QStringEncoder euc("EUC-JP");
    return euc.encode(page);
}

EucTable &Table()
{
    static EucTable table;
    static const bool loaded = LoadEucTable(table, QStringLiteral(HIBARI_SOURCE_DIR "/data/E2S.param"));
    Q_UNUSED(loaded);
    return table;
}

const QByteArray &Page()
{
    static const QByteArray bytes = ResultPageBytes(1000);
    return bytes;
}

void Conversion(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(EucToSjis(Table(), Page()));
    state.SetBytesProcessed(state.iterations() * Page().size());
}

void Scan(benchmark::State &state)
{
    const QString page = EucToSjis(Table(), Page());
    for (auto _ : state)
        benchmark::DoNotOptimize(ScanPrescriptionResults(page));
}

void ConversionScanAndLists(benchmark::State &state)
{
    SilentDesktop desktop;
    ProgramState programState;
    AppContext context{programState, desktop};
    Form1 window(context);
    window.show();
    for (auto _ : state)
        window.readPage(EucToSjis(Table(), Page()));
}

} // namespace

BENCHMARK(Conversion)->Unit(benchmark::kMillisecond);
BENCHMARK(Scan)->Unit(benchmark::kMillisecond);
BENCHMARK(ConversionScanAndLists)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ApplyAppearance(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
