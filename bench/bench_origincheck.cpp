// "最新版の確認" over 1,000 saved documents that are all unchanged, against the
// practice service run as a program of its own with 25 ms added each way (a 50 ms
// round trip): every document costs one conditional request, answered 304 without a
// body, at most four at once. The goal is 15 s at most.

#include <string>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "ChildRun.h"
#include "fulltext/OriginCheck.h"
#include "retrieval/DocumentFile.h"
#include "retrieval/Inet1.h"
#include "retrieval/OriginRecord.h"

namespace {

constexpr int Documents = 1000;
constexpr int LatencyMs = 25;

void checkUnchanged(benchmark::State &state)
{
    ServiceProcess service(HIBARI_PRACTICE_SERVICE, {"--latency", std::to_string(LatencyMs)});
    if (service.port().empty()) {
        state.SkipWithError("the practice service did not start");
        return;
    }
    const QString base = QStringLiteral("http://127.0.0.1:") + QString::fromStdString(service.port());
    QTemporaryDir library;
    Inet1 inet;
    const Inet1::Reply document = inet.OpenURL(base + QStringLiteral("/practice/document.pdf"));
    if (!document.ok || document.etag.isEmpty()) {
        state.SkipWithError("the practice service sent no document");
        return;
    }
    // The saved documents, each with its own URL and the record a save leaves.
    QList<OriginCheck::Job> jobs;
    for (int i = 0; i < Documents; ++i) {
        const QString path = library.filePath(QStringLiteral("%1.pdf").arg(i));
        if (!WriteFileAtomically(path, document.body).isEmpty()) {
            state.SkipWithError("cannot write the library");
            return;
        }
        OriginRecord record = MakeOriginRecord(base + QStringLiteral("/practice/document.pdf?copy=%1").arg(i),
                                               document.etag, document.lastModified, document.body);
        jobs.append({path, record});
    }
    int current = 0;
    for (auto _ : state) {
        OriginCheck check(jobs, false, 60000, nullptr, {});
        current = 0;
        QObject::connect(&check, &OriginCheck::done, &check, [&current](const OriginCheck::Outcome &outcome) {
            if (outcome.state == CheckState::Current)
                ++current;
        });
        check.run();
    }
    if (current != Documents)
        state.SkipWithError("not every document was found unchanged");
    state.counters["documents"] = Documents;
}

} // namespace

BENCHMARK(checkUnchanged)->Name("BM_CheckUnchanged")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
