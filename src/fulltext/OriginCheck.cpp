#include "fulltext/OriginCheck.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "retrieval/DocumentFile.h"

#include "shell/Messages.h"

using namespace Qt::Literals::StringLiterals;

QString CheckStateText(CheckState state)
{
    switch (state) {
    case CheckState::Current: return Messages::StateCurrent;
    case CheckState::Updated: return Messages::StateUpdated;
    case CheckState::NoOrigin: return Messages::StateNoOrigin;
    case CheckState::NotFound: return Messages::StateNotFound;
    case CheckState::Failed: break;
    }
    return Messages::StateFailed;
}

Inet1::Headers ConditionalHeaders(const OriginRecord &origin)
{
    if (!origin.etag.isEmpty())
        return {{"If-None-Match", origin.etag}};
    if (!origin.lastModified.isEmpty())
        return {{"If-Modified-Since", origin.lastModified}};
    return {};
}

CheckState ClassifyAnswer(const OriginRecord &origin, const Inet1::Reply &reply)
{
    if (!reply.ok)
        return CheckState::Failed;
    if (reply.httpStatus == 304)
        return CheckState::Current;
    if (reply.httpStatus == 404 || reply.httpStatus == 410)
        return CheckState::NotFound;
    if (reply.httpStatus >= 300)
        return CheckState::Failed;
    // A server that ignores the condition, or gives no validators: the bytes tell.
    return Sha256Hex(reply.body) == origin.sha256 ? CheckState::Current : CheckState::Updated;
}

QString ReplaceDocument(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    // The new version is whole on the disk before the old one moves.
    const QString staged = info.dir().filePath(u".hibari-update"_s);
    const QString error = WriteFileAtomically(staged, bytes);
    if (!error.isEmpty())
        return error;
    QString trashed;
    if (!QFile::moveToTrash(path, &trashed)) {
        QFile::remove(staged);
        return Messages::TrashFailed;
    }
    const int failed
        = ReplaceDurably(QFile::encodeName(staged), QFile::encodeName(path), QFile::encodeName(info.absolutePath()));
    if (failed != 0) {
        QFile::rename(trashed, path);
        QFile::remove(staged);
        return DescribeFileError(failed);
    }
    return {};
}

// One of the threads: its Inet1 lives there, and `contact` (an object of that thread)
// carries abort() to it.
struct OriginCheck::Worker {
    QThread *thread = nullptr;
    QObject *contact = nullptr;
    Inet1 *inet = nullptr;
};

OriginCheck::OriginCheck(QList<Job> jobs, bool fetch, int timeoutMs, ProxyCredentials *remembered,
                         ProxyCredentialsAsker ask, QObject *parent)
    : QObject(parent), m_jobs(std::move(jobs)), m_fetch(fetch), m_timeoutMs(timeoutMs), m_remembered(remembered),
      m_ask(std::move(ask))
{
}

OriginCheck::~OriginCheck()
{
    abort();
    for (const std::shared_ptr<Worker> &worker : std::as_const(m_workers)) {
        worker->thread->wait();
        delete worker->thread;
    }
}

void OriginCheck::start()
{
    // Documents without an origin need no request.
    QList<Job> remote;
    for (const Job &job : std::as_const(m_jobs)) {
        if (job.origin && !job.origin->url.isEmpty()) {
            remote.append(job);
        } else {
            Outcome outcome;
            outcome.path = job.path;
            outcome.state = CheckState::NoOrigin;
            QMetaObject::invokeMethod(
                this, [this, outcome] { Q_EMIT done(outcome); }, Qt::QueuedConnection);
        }
    }
    m_jobs = remote;
    m_threads = int(qMin<qsizetype>(MaxRunning, m_jobs.size()));
    if (m_threads == 0) {
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT finished(); }, Qt::QueuedConnection);
        return;
    }
    // One request first, alone: what a transfer sets up once for the whole program
    // (the trusted certificates, the proxy's credentials) is then in place before the
    // others start.
    startWorker();
}

void OriginCheck::startWorker()
{
    auto worker = std::make_shared<Worker>();
    worker->thread = QThread::create([this, worker] { work(*worker); });
    connect(worker->thread, &QThread::finished, this, [this] {
        if (--m_running == 0)
            Q_EMIT finished();
    });
    m_workers.append(worker);
    ++m_running;
    worker->thread->start();
}

void OriginCheck::report(const Outcome &outcome)
{
    while (!m_abort && m_workers.size() < m_threads)
        startWorker();
    Q_EMIT done(outcome);
}

void OriginCheck::abort()
{
    m_abort = true;
    std::lock_guard guard(m_lock);
    for (const std::shared_ptr<Worker> &worker : std::as_const(m_workers)) {
        if (worker->contact) {
            Inet1 *inet = worker->inet;
            QMetaObject::invokeMethod(
                worker->contact, [inet] { inet->abort(); }, Qt::QueuedConnection);
        }
    }
}

void OriginCheck::work(Worker &worker)
{
    Inet1 inet(m_timeoutMs);
    QObject contact;
    // The proxy's credentials are asked for in the thread of the windows, once for all
    // the threads: those given there are offered first.
    inet.setProxyLogin(nullptr, [this](const QString &proxy, bool refused) {
        std::optional<ProxyCredentials> login;
        QMetaObject::invokeMethod(
            this,
            [&] {
                if (!refused && m_remembered && !m_remembered->user.isEmpty()) {
                    login = *m_remembered;
                    return;
                }
                if (m_abort || !m_ask)
                    return;
                login = m_ask(proxy, refused);
                if (login && m_remembered)
                    *m_remembered = *login;
            },
            Qt::BlockingQueuedConnection);
        return login;
    });
    {
        std::lock_guard guard(m_lock);
        worker.inet = &inet;
        worker.contact = &contact;
    }
    for (;;) {
        Job job;
        {
            std::lock_guard guard(m_lock);
            if (m_abort || m_next >= m_jobs.size())
                break;
            job = m_jobs.at(m_next++);
        }
        const Inet1::Reply reply
            = inet.OpenURL(job.origin->url, m_fetch ? Inet1::Headers() : ConditionalHeaders(*job.origin));
        if (reply.aborted || m_abort)
            break;
        Outcome outcome;
        outcome.path = job.path;
        outcome.state = ClassifyAnswer(*job.origin, reply);
        if (m_fetch && outcome.state == CheckState::Current && reply.httpStatus != 304)
            outcome.state = CheckState::Updated; // fetched whole: kept whatever it holds
        if (outcome.state == CheckState::Failed)
            outcome.errorText = reply.errorText.isEmpty()
                                    ? Inet1::describeHttpStatus(reply.httpStatus, reply.httpReason)
                                    : reply.errorText;
        if (m_fetch)
            outcome.body = reply.body;
        outcome.etag = reply.etag;
        outcome.lastModified = reply.lastModified;
        QMetaObject::invokeMethod(
            this, [this, outcome] { report(outcome); }, Qt::QueuedConnection);
    }
    std::lock_guard guard(m_lock);
    worker.inet = nullptr;
    worker.contact = nullptr;
}

void OriginCheck::run()
{
    QEventLoop loop;
    connect(this, &OriginCheck::finished, &loop, &QEventLoop::quit);
    start();
    loop.exec();
}
