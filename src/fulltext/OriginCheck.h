#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include <QList>
#include <QObject>
#include <QString>

#include "retrieval/Inet1.h"
#include "retrieval/OriginRecord.h"

// What the check of a saved document against its origin found.
enum class CheckState { Current, Updated, NoOrigin, NotFound, Failed };
QString CheckStateText(CheckState state); // 最新, 更新あり, 取得元不明, 見つかりません, 通信エラー

// The conditional request for a document saved with `origin`: If-None-Match when the
// server gave an ETag, else If-Modified-Since when it gave a Last-Modified; nothing
// (a plain GET, compared by hash) when it gave neither.
Inet1::Headers ConditionalHeaders(const OriginRecord &origin);
// The state the server's answer means: 304, or the same bytes, is 最新; 404 and 410
// are 見つかりません; another refusal or a failed transfer 通信エラー.
CheckState ClassifyAnswer(const OriginRecord &origin, const Inet1::Reply &reply);

// Puts `bytes` in place of the document at `path` in one step, the replaced version
// going to the desktop's trash. When the new version cannot be put in place, the old
// one stays (or comes back) where it was. Returns an empty text, or what went wrong.
QString ReplaceDocument(const QString &path, const QByteArray &bytes);

// Checks documents against their origins, or fetches their newest versions, at most
// MaxRunning requests at once, each through an Inet1 of its own (proxy and its
// credentials, https, the time-out) in a thread of its own. Outcomes come one by one
// in the thread that made the check; abort() stops the requests running and starts no
// more.
class OriginCheck : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxRunning = 4;

    struct Job {
        QString path; // absolute
        std::optional<OriginRecord> origin;
    };
    struct Outcome {
        QString path;
        CheckState state = CheckState::Failed;
        QString errorText;
        QByteArray body; // when fetching: the newest version
        QByteArray etag;
        QByteArray lastModified;
    };

    // fetch: an unconditional GET of each document, its body kept.
    OriginCheck(QList<Job> jobs, bool fetch, int timeoutMs, ProxyCredentials *remembered, ProxyCredentialsAsker ask,
                QObject *parent = nullptr);
    ~OriginCheck() override;

    void start();
    void abort();
    bool aborted() const { return m_abort; }
    // Starts, and returns once every document is done or the check is stopped.
    void run();

Q_SIGNALS:
    void done(const OriginCheck::Outcome &outcome);
    void finished();

private:
    struct Worker;
    void work(Worker &worker);
    void startWorker();
    void report(const Outcome &outcome); // in the check's thread

    QList<Job> m_jobs;
    bool m_fetch;
    int m_timeoutMs;
    ProxyCredentials *m_remembered;
    ProxyCredentialsAsker m_ask;
    std::mutex m_lock;
    qsizetype m_next = 0;
    std::atomic_bool m_abort = false;
    QList<std::shared_ptr<Worker>> m_workers;
    int m_running = 0;
    int m_threads = 0;
};
