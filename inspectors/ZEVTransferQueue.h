#pragma once
// The one queue of the program's file jobs (moves, copies, drags onto folders, duplicates): two
// worker threads, made on first use, that get paths and sizes only and hand their results back to
// the main thread by a queued call.
//
// It also keeps what the jobs share: the destination names handed out and not yet finished (one
// set for the whole process, so that two jobs never pick the same name, freed when a job ends) and
// the journal of running jobs in the store (their temporaries, their Objects and the mark each
// set). After a crash the next start removes the temporaries left and clears the marks no job
// holds; Quit cancels the running jobs and does the same before the store closes.

#include "engine/KELTypes.h"
#include "platform/files/FileTransfer.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace tallomer {

class ZEVTransferQueue final : public QObject {
public:
    static ZEVTransferQueue& shared();

    // ---- free names ----
    // The destination path for `fileName` in `folder`: the name itself, else "stem_01.ext",
    // "stem_02.ext"... ("stem_01" without extension; "_100" after "_99"), the first that neither
    // the disk nor a running job holds. It is held until release().
    QString reserveName(const QString& folder, const QString& fileName);
    void release(const QString& path);
    bool siReserved(const QString& path) const { return reserved_.count(path) != 0; }

    // ---- jobs ----
    struct Job {
        QString source;
        QString target;   // a reserved name
        bool move = false;
        KELId itemId = 0;     // 0: none
        std::uint64_t mark = 0; // the option the job set on the Object
    };
    using Done = std::function<void(const TransferOutcome&)>;
    // Queues the job; `done` runs on the main thread unless the job was cancelled by quit().
    // Answers the job's id; its temporary is temp(id).
    int start(const Job& job, QObject* context, Done done);
    QString temp(int jobId) const;
    // Runs `work` on the queue and `done` with its answer on the main thread (a job of its own
    // kind, e.g. a .webloc or the removal of a moved source).
    void run(std::function<bool()> work, QObject* context, std::function<void(bool)> done);
    // Every job queued so far has ended (results may still wait for the main thread).
    void waitForDone() { if (pool_) pool_->waitForDone(); }
    int running() const { return int(jobs_.size()); }
    bool quitting() const { return quitting_; }

    // ---- crash and quit ----
    // Removes the temporaries the journal names and clears the marks of their Objects.
    void recoverLeftovers();
    // Cancels the running jobs, waits for them, removes their temporaries and clears their marks.
    void quit();

private:
    ZEVTransferQueue() = default;
    QThreadPool& pool();
    void journalAdd(int id, const Job& job, const QString& temp);
    void journalRemove(int id);
    bool siJournal();

    struct Running {
        Job job;
        QString temp;
        std::shared_ptr<std::atomic<bool>> cancel;
    };
    std::unique_ptr<QThreadPool> pool_;
    std::set<QString> reserved_;
    std::map<int, Running> jobs_;
    int nextId_ = 1;
    std::string journalReadyFor_;
    std::string recoveredFor_;
    bool quitting_ = false;
};

} // namespace tallomer
