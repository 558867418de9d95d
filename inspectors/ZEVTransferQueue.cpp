#include "inspectors/ZEVTransferQueue.h"

#include "desk/model/ZEVItemOptions.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "runtime/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <sys/stat.h>

namespace tallomer {

namespace {

// A table of its own, made when missing: a store written by an earlier build opens unchanged, and
// an earlier build reading this store ignores the table.
constexpr const char* kCreateJournal =
    "CREATE TABLE IF NOT EXISTS TRANSFER_JOURNAL (TEMP_PATH TEXT PRIMARY KEY, ITEM_ID INTEGER, MARK INTEGER)";

bool taken(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

ZEVTransferQueue& ZEVTransferQueue::shared()
{
    // Never released: jobs may still report while the program ends.
    static ZEVTransferQueue* queue = new ZEVTransferQueue;
    return *queue;
}

QThreadPool& ZEVTransferQueue::pool()
{
    if (!pool_) {
        pool_ = std::make_unique<QThreadPool>();
        pool_->setMaxThreadCount(2);
    }
    return *pool_;
}

QString ZEVTransferQueue::reserveName(const QString& folder, const QString& fileName)
{
    const QDir dir(folder);
    const auto free = [&](const QString& name) {
        const QString path = dir.filePath(name);
        return !reserved_.count(path) && !taken(path);
    };
    QString name = fileName;
    if (!free(name)) {
        const QFileInfo n(fileName);
        const bool noExt = n.completeBaseName().isEmpty() || n.suffix().isEmpty();
        const QString stem = noExt ? fileName : n.completeBaseName();
        const QString ext = noExt ? QString() : QLatin1Char('.') + n.suffix();
        for (int i = 1;; ++i) {
            // In one pass: a name holding "%1" is the user's own text, never a place to fill.
            name = QStringLiteral("%1_%2%3").arg(stem, QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')), ext);
            if (free(name))
                break;
        }
    }
    const QString path = dir.filePath(name);
    reserved_.insert(path);
    return path;
}

void ZEVTransferQueue::release(const QString& path) { reserved_.erase(path); }

bool ZEVTransferQueue::siJournal()
{
    if (!KELServeurDeLiens::estInitialise())
        return false;
    Sqlite& db = KELChercheurDe::ZevDataBase();
    if (!db.isOpen())
        return false;
    // Made once a store (tests open many in one run).
    if (journalReadyFor_ != KELChercheurDe::databasePath() && db.executeNonQuery(kCreateJournal))
        journalReadyFor_ = KELChercheurDe::databasePath();
    return journalReadyFor_ == KELChercheurDe::databasePath();
}

void ZEVTransferQueue::journalAdd(int, const Job& job, const QString& temp)
{
    if (siJournal())
        KELChercheurDe::ZevDataBase().executeNonQuery(
            "INSERT OR REPLACE INTO TRANSFER_JOURNAL (TEMP_PATH, ITEM_ID, MARK) VALUES (?, ?, ?)",
            {QFile::encodeName(temp).toStdString(), static_cast<unsigned long long>(job.itemId),
             static_cast<unsigned long long>(job.mark)});
}

void ZEVTransferQueue::journalRemove(int id)
{
    const auto it = jobs_.find(id);
    if (it != jobs_.end() && siJournal())
        KELChercheurDe::ZevDataBase().executeNonQuery("DELETE FROM TRANSFER_JOURNAL WHERE TEMP_PATH = ?",
                                                      {QFile::encodeName(it->second.temp).toStdString()});
}

QString ZEVTransferQueue::temp(int jobId) const
{
    const auto it = jobs_.find(jobId);
    return it == jobs_.end() ? QString() : it->second.temp;
}

int ZEVTransferQueue::start(const Job& job, QObject* context, Done done)
{
    const int id = nextId_++;
    Running r{job, transferTempPath(QFileInfo(job.target).absolutePath()), std::make_shared<std::atomic<bool>>(false)};
    jobs_[id] = r;
    journalAdd(id, job, r.temp);
    QPointer<QObject> guard(context);
    pool().start([this, id, r, guard, done = std::move(done)] {
        const TransferOutcome out = transferNoReplace(r.job.source, r.job.target, r.temp, r.job.move, r.cancel.get());
        if (!out.ok)
            logFormat("Error when %s file: %s\n             to folder: %s\n                      : %s",
                      r.job.move ? "moving" : "copying", qPrintable(r.job.source), qPrintable(r.job.target),
                      qPrintable(out.error));
        QMetaObject::invokeMethod(
            this,
            [this, id, out, guard, done] {
                const auto it = jobs_.find(id);
                if (it == jobs_.end()) // cancelled by quit: its marks are cleared already
                    return;
                const Job job = it->second.job;
                journalRemove(id);
                release(job.target);
                jobs_.erase(it);
                // Cut short by quit: no error on the Object, only the mark taken away.
                if (quitting_ && !out.ok) {
                    if (job.itemId && job.mark)
                        clearItemOption(KELServeurDeLiens::LienForInt(job.itemId, nullptr), job.mark);
                    return;
                }
                if (guard && done)
                    done(out);
            },
            Qt::QueuedConnection);
    });
    return id;
}

void ZEVTransferQueue::run(std::function<bool()> work, QObject* context, std::function<void(bool)> done)
{
    QPointer<QObject> guard(context);
    pool().start([this, guard, work = std::move(work), done = std::move(done)] {
        const bool ok = work();
        QMetaObject::invokeMethod(
            this,
            [this, ok, guard, done] {
                if (!quitting_ && guard && done)
                    done(ok);
            },
            Qt::QueuedConnection);
    });
}

void ZEVTransferQueue::recoverLeftovers()
{
    // Once a store: a second Space of the same run finds the jobs of the first running.
    if (!siJournal() || recoveredFor_ == KELChercheurDe::databasePath())
        return;
    recoveredFor_ = KELChercheurDe::databasePath();
    const auto rows = KELChercheurDe::ZevDataBase().executeQuery("SELECT TEMP_PATH, ITEM_ID, MARK FROM TRANSFER_JOURNAL");
    if (!rows)
        return;
    for (const SqlRow& row : *rows) {
        const QString temp = QFile::decodeName(QByteArray::fromStdString(row.text("TEMP_PATH")));
        // Only a name this queue makes is ever removed.
        if (isTransferTempName(QFileInfo(temp).fileName()) && !removeTree(temp))
            logFormat("ZEVTransferQueue: cannot remove the leftover %s", qPrintable(temp));
        const KELId item = KELId(row.int64("ITEM_ID"));
        const ZEVItemOption mark = ZEVItemOption(row.int64("MARK"));
        if (item && mark)
            clearItemOption(KELServeurDeLiens::LienForInt(item, nullptr), mark);
    }
    KELChercheurDe::ZevDataBase().executeNonQuery("DELETE FROM TRANSFER_JOURNAL");
}

void ZEVTransferQueue::quit()
{
    quitting_ = true;
    for (auto& [id, r] : jobs_)
        r.cancel->store(true);
    waitForDone();
    // The jobs that ended are finished as usual (a move that went through updates its record);
    // those cut short only lose their marks.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    for (auto& [id, r] : jobs_) {
        removeTree(r.temp);
        if (r.job.itemId && r.job.mark)
            clearItemOption(KELServeurDeLiens::LienForInt(r.job.itemId, nullptr), r.job.mark);
        journalRemove(id);
        release(r.job.target);
    }
    jobs_.clear();
    // The store closes next; a later start in this process (tests) opens it anew.
    journalReadyFor_.clear();
    recoveredFor_.clear();
    quitting_ = false;
}

} // namespace tallomer
