#include "fulltext/PdfText.h"

#include <sys/resource.h>

#include <atomic>
#include <memory>
#include <vector>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QByteArrayView Magic = "HIBARI-PDFTEXT 1\n";

// Reads the framed output one part at a time; any fault sets failed for good.
class Reader {
public:
    explicit Reader(QByteArrayView data) : m_data(data) {}

    bool failed() const { return m_failed; }
    bool atEnd() const { return m_at >= m_data.size(); }

    bool expect(QByteArrayView bytes)
    {
        if (m_failed || m_data.size() - m_at < bytes.size() || m_data.sliced(m_at, bytes.size()) != bytes)
            return fail();
        m_at += bytes.size();
        return true;
    }

    // A header line: one letter and its numbers, separated by single spaces.
    std::optional<QList<QByteArrayView>> line(char tag, int fields)
    {
        if (m_failed)
            return std::nullopt;
        const qsizetype end = m_data.indexOf('\n', m_at);
        if (end < 0 || end - m_at > 200)
            return fail(), std::nullopt;
        const QByteArrayView text = m_data.sliced(m_at, end - m_at);
        QList<QByteArrayView> parts;
        qsizetype from = 0;
        while (true) {
            const qsizetype space = text.indexOf(' ', from);
            parts.append(text.sliced(from, (space < 0 ? text.size() : space) - from));
            if (space < 0)
                break;
            from = space + 1;
        }
        if (parts.size() != fields + 1 || parts.front() != QByteArrayView(&tag, 1))
            return fail(), std::nullopt;
        m_at = end + 1;
        parts.removeFirst();
        return parts;
    }

    char peekTag() const { return m_failed || atEnd() ? '\0' : m_data.at(m_at); }

    std::optional<QByteArrayView> bytes(qint64 count)
    {
        if (m_failed || count < 0 || count > m_data.size() - m_at)
            return fail(), std::nullopt;
        const QByteArrayView out = m_data.sliced(m_at, count);
        m_at += count;
        return out;
    }

    bool fail()
    {
        m_failed = true;
        return false;
    }

private:
    QByteArrayView m_data;
    qsizetype m_at = 0;
    bool m_failed = false;
};

std::optional<qint64> count(QByteArrayView text, qint64 limit)
{
    if (text.isEmpty() || text.size() > 12)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > limit)
        return std::nullopt;
    return value;
}

std::optional<double> number(QByteArrayView text)
{
    bool ok = false;
    const double value = text.toByteArray().toDouble(&ok);
    if (!ok || !(value > -1e6 && value < 1e6))
        return std::nullopt;
    return value;
}

} // namespace

QString PdfTextHelper(const QString &applicationDir)
{
    if (applicationDir.isEmpty())
        return {};
    const QDir dir(applicationDir);
    for (const QString &candidate : {u"hibari-pdftext"_s, u"../libexec/hibari/hibari-pdftext"_s}) {
        const QFileInfo info(dir.filePath(candidate));
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    return {};
}

std::optional<QStringList> ParsePageTexts(QByteArrayView output)
{
    Reader reader(output);
    reader.expect(Magic);
    QStringList pages;
    while (reader.peekTag() == 'P') {
        const auto header = reader.line('P', 1);
        const auto size = header ? count(header->at(0), output.size()) : std::nullopt;
        const auto body = size ? reader.bytes(*size) : std::nullopt;
        if (!body)
            return std::nullopt;
        pages.append(QString::fromUtf8(*body));
    }
    const auto end = reader.line('E', 1);
    const auto total = end ? count(end->at(0), output.size()) : std::nullopt;
    if (!total || *total != pages.size() || !reader.atEnd() || reader.failed())
        return std::nullopt;
    return pages;
}

std::optional<RenderedPage> ParseRenderedPage(QByteArrayView output)
{
    Reader reader(output);
    reader.expect(Magic);
    RenderedPage page;
    const auto size = reader.line('S', 2);
    if (!size)
        return std::nullopt;
    const auto width = number(size->at(0)), height = number(size->at(1));
    if (!width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    page.size = QSizeF(*width, *height);
    const auto image = reader.line('I', 4);
    if (!image)
        return std::nullopt;
    const auto w = count(image->at(0), 20000), h = count(image->at(1), 20000), stride = count(image->at(2), 80000),
               bytes = count(image->at(3), output.size());
    if (!w || !h || !stride || !bytes || *w == 0 || *h == 0 || *stride < *w * 4 || *bytes != *stride * *h)
        return std::nullopt;
    const auto pixels = reader.bytes(*bytes);
    if (!pixels)
        return std::nullopt;
    page.width = int(*w);
    page.height = int(*h);
    page.stride = qsizetype(*stride);
    page.pixels = pixels->toByteArray();
    qint64 chars = 0;
    while (reader.peekTag() == 'C') {
        const auto header = reader.line('C', 5);
        if (!header)
            return std::nullopt;
        const auto x = number(header->at(0)), y = number(header->at(1)), cw = number(header->at(2)),
                   ch = number(header->at(3));
        const auto length = count(header->at(4), 64);
        const auto text = length ? reader.bytes(*length) : std::nullopt;
        if (!x || !y || !cw || !ch || !text)
            return std::nullopt;
        page.chars.append({QString::fromUtf8(*text), QRectF(*x, *y, *cw, *ch)});
        ++chars;
    }
    const auto end = reader.line('E', 1);
    const auto total = end ? count(end->at(0), output.size()) : std::nullopt;
    if (!total || *total != chars || !reader.atEnd() || reader.failed())
        return std::nullopt;
    return page;
}

void ApplyHelperLimits(const HelperLimits &limits)
{
    const rlimit memory{rlim_t(limits.memoryBytes), rlim_t(limits.memoryBytes)};
    setrlimit(RLIMIT_AS, &memory);
    const rlim_t seconds = rlim_t(limits.timeMs / 1000 + 2);
    const rlimit cpu{seconds, seconds};
    setrlimit(RLIMIT_CPU, &cpu);
    const rlimit core{0, 0};
    setrlimit(RLIMIT_CORE, &core);
    // Below the windows, so that reading never takes the processor from them.
    setpriority(PRIO_PROCESS, 0, 10);
}

namespace {

// Helper processes reading text now, in this program.
std::atomic_int helpersRunning = 0;

} // namespace

std::optional<QStringList> ReadPdfText(const QString &helper, const QString &file, const HelperLimits &limits)
{
    if (helper.isEmpty())
        return std::nullopt;
    // A document read while no other is (one just saved, the usual case) is shared
    // between two helpers, one for each processor; otherwise one reads it all.
    int idle = 0;
    const int parts = QThread::idealThreadCount() > 1 && helpersRunning.compare_exchange_strong(idle, 2)
                          ? 2
                          : (helpersRunning.fetch_add(1), 1);
    const auto release = qScopeGuard([parts] { helpersRunning -= parts; });

    std::vector<std::unique_ptr<QProcess>> processes;
    for (int part = 0; part < parts; ++part) {
        auto &process = processes.emplace_back(std::make_unique<QProcess>());
        process->setProgram(helper);
        QStringList arguments{u"text"_s, file};
        if (parts > 1)
            arguments << QString::number(part) << QString::number(parts);
        process->setArguments(arguments);
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        process->setChildProcessModifier([limits] { ApplyHelperLimits(limits); });
        process->start();
    }
    QDeadlineTimer deadline(limits.timeMs);
    bool ok = true;
    for (const auto &process : processes) {
        if (!ok || !process->waitForStarted(int(deadline.remainingTime()))
            || !process->waitForFinished(int(deadline.remainingTime()))) {
            ok = false;
            process->kill();
            process->waitForFinished(1000);
            continue;
        }
        ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    }
    if (!ok)
        return std::nullopt;
    std::optional<QStringList> pages;
    for (int part = 0; part < parts; ++part) {
        const std::optional<QStringList> read = ParsePageTexts(processes[size_t(part)]->readAllStandardOutput());
        if (!read || (pages && read->size() != pages->size()))
            return std::nullopt;
        if (!pages) {
            pages = read;
            continue;
        }
        for (qsizetype i = part; i < pages->size(); i += parts)
            (*pages)[i] = read->at(i);
    }
    return pages;
}

QStringList RenderArguments(const QString &file, int page, int dpi)
{
    return {u"page"_s, file, QString::number(page), QString::number(dpi)};
}
