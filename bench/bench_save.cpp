// The cost of making a save durable: one document saved through the atomic writer
// (its data synced, renamed over the earlier copy, then the folder synced), against
// the same steps without the folder's sync. The folder lies on the disk the build is
// on, not in memory, so each sync reaches the device.

#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "retrieval/DocumentFile.h"

namespace {

constexpr qsizetype DocumentBytes = 2 * 1024 * 1024; // a package insert with figures

QByteArray document(int version)
{
    QByteArray bytes(DocumentBytes, char('a' + version % 26));
    bytes.prepend("%PDF-1.4\n");
    return bytes;
}

QTemporaryDir &folder()
{
    static QTemporaryDir dir(QStringLiteral(HIBARI_APP_DIR "/../bench-save-XXXXXX"));
    return dir;
}

void BM_SaveDocument(benchmark::State &state)
{
    const QString path = folder().filePath(QStringLiteral("保存.pdf"));
    int version = 0;
    for (auto _ : state) {
        const QString failure = WriteFileAtomically(path, document(++version));
        if (!failure.isEmpty())
            state.SkipWithError("the save failed");
    }
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond)->UseRealTime();

// The writer's steps but the last: temporary file, data, its sync, rename.
void BM_SaveDocumentWithoutFolderSync(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(folder().filePath(QStringLiteral("保存なし.pdf")));
    const QByteArray temporary = QFile::encodeName(folder().filePath(QStringLiteral(".hibari-bench.tmp")));
    int version = 0;
    for (auto _ : state) {
        const QByteArray bytes = document(++version);
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        const bool ok
            = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!ok || ::rename(temporary.constData(), path.constData()) != 0)
            state.SkipWithError("the save failed");
    }
}
BENCHMARK(BM_SaveDocumentWithoutFolderSync)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
