#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

// Makes the find index of a recipe file current on a thread of its own, over a connection of
// its own, so that the window stays usable meanwhile: only finding waits for it (Find answers
// from what is indexed so far, and says so). With `check`, the index is first checked and made
// again when damaged, which reads all of it: for after the start-up check has found the file
// sound. Nothing is done, and finished comes at once, when the index is current and no check
// is asked.
//
// Signals arrive on the thread that made the builder. Destroying it stops the work between two
// batches and waits for that (a fraction of a second); what was indexed stays, and the next
// builder goes on from there.
class IndexBuilder : public QObject
{
    Q_OBJECT
public:
    IndexBuilder(const QString &path, const QString &connect, bool check,
                 QObject *parent = nullptr);
    ~IndexBuilder() override;

    void start();

signals:
    void progress(qint64 done, qint64 total);
    // current: the index holds every recipe; error: why not, when something failed.
    void finished(bool current, const QString &error);

private:
    void run();

    QString m_path;
    QString m_connect;
    bool m_check;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
