#include "app/EarlyStart.h"

#include "main/MainForm.h"
#include "platform/dao/DBEngine.h"
#include "platform/dao/Database.h"
#include "platform/dao/Maintenance.h"
#include "store/RecipeBas.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <exception>
#include <optional>

#ifdef KX_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

EarlyStart::EarlyStart(const QString &dataPath) : m_dataPath(dataPath)
{
    // Qt takes the first thread that asks for its thread data as the program's main thread.
    // The early thread makes Qt objects before the application object exists (the engine reads
    // a file's first bytes through a QFile), so this thread asks first.
    QThread::currentThread();
    if (!m_dataPath.isEmpty())
        m_opened = m_openDone.get_future();
    m_thread = std::thread(&EarlyStart::run, this, m_application.get_future());
}

EarlyStart::~EarlyStart()
{
    finish();
}

void EarlyStart::run(std::future<bool> application)
{
#ifdef KX_HAVE_FONTCONFIG
    // The first font look-up of the application reads the system's font configuration (about
    // 4 ms here); read now, while the main thread is still starting, it is ready by then.
    FcInit();
#endif
    // Once the application object exists, the fonts the window shows are loaded, before
    // anything else the window does not wait for. False when the program ends without it.
    std::optional<bool> withApplication;
    const auto loadFonts = [&] {
        if (!withApplication) {
            withApplication = application.get();
            if (*withApplication)
                MainForm::LoadFonts();
        }
        return *withApplication;
    };
    std::exception_ptr openFailure;
    if (!m_dataPath.isEmpty()) {
        try {
            auto database =
                dao::DBEngine::OpenDatabase(m_dataPath, false, false, RecipeBas::ConnectString);
            bool told = false;
            try {
                // What the tree's first load reads, read while the window is built; the window
                // goes on once the categories it shows collapsed are all that is left to read.
                RecipeBas::ReadTreeAhead(*database,
                                         [&](std::unique_ptr<RecipeBas::TreeReads> reads) {
                                             m_reads = std::move(reads);
                                             told = true;
                                             m_openDone.set_value();
                                             loadFonts();
                                         });
            } catch (...) {
                // the load reads for itself
            }
            if (!told)
                m_openDone.set_value();
        } catch (...) {
            openFailure = std::current_exception();
            m_openDone.set_exception(openFailure);
        }
    }
    if (!loadFonts())
        return; // the program ends: nobody waits for a verdict
    if (m_dataPath.isEmpty())
        return;
    if (openFailure) {
        checked(openFailure, nullptr);
        return;
    }
    // What RecipeBas::CheckRecipeDataBase does, for this data path.
    std::unique_ptr<dao::Database> database;
    try {
        database = dao::Maintenance::OpenChecked(m_dataPath, RecipeBas::ConnectString);
    } catch (...) {
        checked(std::current_exception(), nullptr);
        return;
    }
    checked(nullptr, std::move(database));
}

void EarlyStart::checked(std::exception_ptr failure, std::unique_ptr<dao::Database> database)
{
    std::unique_lock lock(m_mutex);
    m_checked = true;
    if (m_verdict) {
        const Verdict verdict = std::move(m_verdict);
        lock.unlock();
        verdict(failure, std::move(database));
        return;
    }
    m_failure = failure;
    m_checkedDatabase = std::move(database);
}

void EarlyStart::applicationReady()
{
    tellApplication(true);
}

bool EarlyStart::open(const QString &dataPath)
{
    if (!m_opened.valid() || dataPath != m_dataPath)
        return false;
    m_opened.get(); // raises what the open raised
    RecipeBas::OfferOpenDatabase(dataPath, nullptr, std::move(m_reads));
    return true;
}

void EarlyStart::whenChecked(Verdict verdict)
{
    std::unique_lock lock(m_mutex);
    if (!m_checked) {
        m_verdict = std::move(verdict);
        return;
    }
    std::unique_ptr<dao::Database> database = std::move(m_checkedDatabase);
    const std::exception_ptr failure = m_failure;
    lock.unlock();
    verdict(failure, std::move(database));
}

void EarlyStart::finish()
{
    tellApplication(false);
    if (m_thread.joinable())
        m_thread.join();
}

void EarlyStart::tellApplication(bool ready)
{
    if (m_told)
        return;
    m_told = true;
    m_application.set_value(ready);
}
