#pragma once

#include "main/StartupCheck.h"

#include <QString>

#include <future>
#include <memory>
#include <mutex>
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
// - opening the database and reading what the tree's first load shows of it, which the
//   window's load waits for, then what it shows collapsed, which the tree takes when it comes;
// - once the application object exists, loading the fonts the window shows;
// - then the quick check of the database, which reads the whole file: its verdict comes while
//   the window is already shown, and the window holds every change until then.
//
// Made before the application object, on the thread that will make it.
class EarlyStart : public StartupCheck
{
public:
    // dataPath: the database to open and check, as RecipeBas::DataPath names it; empty does
    // neither.
    explicit EarlyStart(const QString &dataPath);
    ~EarlyStart() override;
    EarlyStart(const EarlyStart &) = delete;
    EarlyStart &operator=(const EarlyStart &) = delete;

    // The application object exists: the fonts may load, and the check follows.
    void applicationReady();

    // Once the early open is done, the tree's reads made on it are offered to the store, once;
    // raises what the open raised. False for another data path, whose file the caller then
    // opens and checks for itself.
    bool open(const QString &dataPath) override;
    void whenChecked(Verdict verdict) override;

    // Waits for the thread; called while the application object still exists.
    void finish();

private:
    void run(std::future<bool> application);
    void checked(std::exception_ptr failure, std::unique_ptr<dao::Database> database);
    void tellApplication(bool ready);

    QString m_dataPath;
    std::unique_ptr<RecipeBas::TreeReads> m_reads;
    std::promise<void> m_openDone;
    std::future<void> m_opened;
    std::promise<bool> m_application;
    bool m_told = false;

    std::mutex m_mutex; // guards the verdict, given on the thread and taken on the main one
    bool m_checked = false;
    std::exception_ptr m_failure;
    std::unique_ptr<dao::Database> m_checkedDatabase;
    Verdict m_verdict;

    std::thread m_thread;
};
