// The full-text index over a library of made-up package inserts (tools/make-inserts):
// the full build beside its floor (pdftotext, right before and after it), one new
// document, queries, the index's size, peak memory, and the
// longest pause of the event loop while the index is built in the background.
//   HIBARI_BENCH_LIBRARY=<folder of PDFs> HIBARI_BENCH_EXTRA=<one more PDF> bench_fulltext
// scripts/bench makes the library and runs this beside its references.

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include "fulltext/FullTextIndex.h"
#include "fulltext/LibraryIndexer.h"
#include "fulltext/PdfText.h"
#include "fulltext/TextFold.h"
#include "shell/Library.h"

using namespace Qt::Literals::StringLiterals;

namespace {

struct Setup {
    QTemporaryDir dir;
    QString documents = dir.path() + u'/';
    QString indexPath = dir.filePath(u"user/fulltext.sqlite"_s);
    QString helper = PdfTextHelper(QStringLiteral(HIBARI_APP_DIR));
    QString extra = qEnvironmentVariable("HIBARI_BENCH_EXTRA");
    bool ok = false;

    Setup()
    {
        const QString library = qEnvironmentVariable("HIBARI_BENCH_LIBRARY");
        Library::CreateFolders(documents);
        QDir(documents).rmdir(Library::Medical());
        ok = !helper.isEmpty() && QFileInfo(library).isDir()
             && QFile::link(QFileInfo(library).absoluteFilePath(), documents + Library::Medical());
    }
    TextReader reader() const
    {
        return [helper = helper](const QString &file) { return ReadPdfText(helper, file); };
    }
    // With HIBARI_BENCH_COPIES=n (n > 1) the queries run on an index that holds every
    // document n times, its text stored again under other names: a larger library
    // than there was time to make, for the queries alone.
    QString queryIndexPath()
    {
        const int copies = qEnvironmentVariableIntValue("HIBARI_BENCH_COPIES");
        if (copies <= 1)
            return indexPath;
        const QString copied = dir.filePath(u"user/copies.sqlite"_s);
        if (QFileInfo::exists(copied))
            return copied;
        FullTextIndex source(indexPath);
        FullTextIndex target(copied);
        if (!source.openForSearch() || !target.openForUpdate())
            return indexPath;
        const QHash<QString, FullTextIndex::Stamp> stamps = source.stamps();
        for (auto it = stamps.cbegin(); it != stamps.cend(); ++it) {
            QStringList pages;
            for (int page = 1;; ++page) {
                const QString text = source.pageText(it.key(), page);
                if (text.isEmpty())
                    break;
                pages.append(text);
            }
            target.beginBatch(); // as a build commits them
            for (int copy = 0; copy < copies; ++copy)
                target.store(QString(it.key()).insert(it.key().size() - 4, u" %1"_s.arg(copy)), it.value(), pages);
            target.commitBatch();
        }
        return copied;
    }
    bool build()
    {
        FullTextIndex index(indexPath);
        const std::atomic_bool stop = false;
        return index.openForUpdate() && UpdateIndex(index, documents, reader(), {}, stop);
    }
};

// Made at first use, removed (with its index) before the application goes.
std::unique_ptr<Setup> shared;

Setup &setup()
{
    if (!shared)
        shared = std::make_unique<Setup>();
    return *shared;
}

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The floor: pdftotext over every document of the library, two at a time. Run right
// before and right after the full build, so that both see the machine alike.
void BM_Floor(benchmark::State &state)
{
    Setup &s = setup();
    const QStringList documents = LibraryDocuments(s.documents);
    if (!s.ok || QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        return state.SkipWithError("no library, or no pdftotext");
    for (auto _ : state) {
        std::atomic_int next = 0;
        const auto work = [&] {
            for (int i = next++; i < documents.size(); i = next++)
                QProcess::execute(u"pdftotext"_s, {u"-q"_s, s.documents + documents.at(i), u"/dev/null"_s});
        };
        std::thread other(work);
        work();
        other.join();
    }
}

void BM_FullBuild(benchmark::State &state)
{
    Setup &s = setup();
    if (!s.ok)
        return state.SkipWithError("HIBARI_BENCH_LIBRARY is not a folder, or no helper");
    for (auto _ : state) {
        for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s})
            QFile::remove(s.indexPath + suffix);
        if (!s.build())
            return state.SkipWithError("the index was not built");
    }
    state.counters["index_MiB"]
        = double(QFileInfo(s.indexPath).size() + QFileInfo(s.indexPath + u"-wal"_s).size()) / 1048576.0;
    // (Not the helpers': a child started from this process counts its pages as its own.)
    state.counters["peak_MiB"] = peakMiB();
}

void BM_NewDocument(benchmark::State &state)
{
    Setup &s = setup();
    if (!s.ok || !QFileInfo(s.extra).isFile())
        return state.SkipWithError("HIBARI_BENCH_EXTRA is not a file");
    const QString added = s.documents + Library::Otc() + u"/新しい文書.pdf"_s;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(added);
        s.build();
        QFile::copy(s.extra, added);
        state.ResumeTiming();
        if (!s.build())
            return state.SkipWithError("the index was not updated");
    }
    QFile::remove(added);
    s.build();
}

void BM_Query(benchmark::State &state, const QString &typed)
{
    Setup &s = setup();
    const QString indexPath = s.queryIndexPath();
    FullTextIndex index(indexPath);
    if (!s.ok || !index.openForSearch())
        return state.SkipWithError("no index");
    const QStringList terms = SearchTerms(typed);
    qsizetype found = 0;
    std::vector<double> times;
    for (auto _ : state) {
        // As the window searches: the index opened afresh each time.
        QElapsedTimer timer;
        timer.start();
        FullTextIndex fresh(indexPath);
        fresh.openForSearch();
        found = fresh.search(terms).size();
        benchmark::DoNotOptimize(found);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    // The time is the mean; a median is not thrown by a moment the machine was busy.
    std::nth_element(times.begin(), times.begin() + qsizetype(times.size() / 2), times.end());
    state.counters["median_ms"] = times.empty() ? 0.0 : times[times.size() / 2];
    state.counters["documents"] = double(found);
    state.counters["library"] = double(index.stamps().size());
}

// The longest gap between two turns of the event loop while the library is indexed
// in the background, as the windows would feel it.
void BM_EventLoopGapWhileIndexing(benchmark::State &state)
{
    Setup &s = setup();
    if (!s.ok)
        return state.SkipWithError("no library");
    qint64 longest = 0;
    for (auto _ : state) {
        for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s})
            QFile::remove(s.indexPath + suffix);
        LibraryIndexer indexer(s.indexPath, s.documents, s.reader());
        QEventLoop loop;
        QObject::connect(&indexer, &LibraryIndexer::finished, &loop, &QEventLoop::quit);
        QElapsedTimer sinceLast;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] { longest = std::max(longest, sinceLast.restart()); });
        sinceLast.start();
        tick.start();
        indexer.start();
        loop.exec();
        tick.stop();
    }
    state.counters["longest_gap_ms"] = double(longest);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    for (const char *name : {"BM_FloorBefore", "BM_FullBuild", "BM_FloorAfter"}) {
        benchmark::RegisterBenchmark(name, std::string_view(name) == "BM_FullBuild" ? BM_FullBuild : BM_Floor)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("BM_NewDocument", BM_NewDocument)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    const QList<std::pair<const char *, QString>> queries{
        {"BM_Query_1char", u"薬"_s},
        {"BM_Query_2chars", u"肺炎"_s},
        {"BM_Query_5chars", u"間質性肺炎"_s},
        {"BM_Query_KanjiDigits", u"12号"_s},
        {"BM_Query_FullWidthLatin", u"CYP3A4"_s},
        {"BM_Query_TwoTerms", u"ワルファリン 肝機能障害"_s},
    };
    for (const auto &[name, typed] : queries) {
        benchmark::RegisterBenchmark(name, [typed = typed](benchmark::State &state) { BM_Query(state, typed); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("BM_EventLoopGapWhileIndexing", BM_EventLoopGapWhileIndexing)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shared.reset();
    return 0;
}
