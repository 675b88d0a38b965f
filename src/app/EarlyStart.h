#pragma once

#include <QString>

#include <future>
#include <memory>
#include <thread>

namespace dao {
class Database;
}
namespace RecipeBas {
struct TreeReads;
}

// Work begun before anything else, on a thread of its own, so that it runs while the
// application starts and the window is built:
// - reading the system's font configuration, the slowest part of the first font look-up and
//   one that needs no application object;
// - the quick check of the database, which reads the whole file. The window's load waits for
//   its verdict before it shows anything of the file;
// - then what the tree's first load reads of the checked database, which stays open for it;
// - then, once the application object exists, loading the fonts the window shows.
//
// Made before the application object, on the thread that will make it.
class EarlyStart
{
public:
    // dataPath: the database to check, as RecipeBas::DataPath names it; empty checks nothing.
    explicit EarlyStart(const QString &dataPath);
    ~EarlyStart();
    EarlyStart(const EarlyStart &) = delete;
    EarlyStart &operator=(const EarlyStart &) = delete;

    // The application object exists: the fonts may load.
    void applicationReady();

    // The verdict for dataPath: the early one when it checked that file, else a check now.
    // The file checked early is offered to the store's next open. Raises what the check raised.
    void check(const QString &dataPath);

    // Waits for the thread; called while the application object still exists.
    void finish();

private:
    void run(std::future<bool> application);
    void tellApplication(bool ready);

    QString m_dataPath;
    std::unique_ptr<dao::Database> m_database;
    std::unique_ptr<RecipeBas::TreeReads> m_reads;
    std::promise<void> m_checked;
    std::future<void> m_verdict;
    std::promise<bool> m_application;
    bool m_told = false;
    std::thread m_thread;
};
