#include "app/EarlyStart.h"

#include "main/MainForm.h"
#include "platform/dao/Database.h"
#include "platform/dao/Maintenance.h"
#include "store/Backup.h"
#include "store/RecipeBas.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <exception>

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
        m_verdict = m_checked.get_future();
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
    if (!m_dataPath.isEmpty()) {
        try {
            // What RecipeBas::CheckRecipeDataBase does, for this data path.
            m_database = dao::Maintenance::OpenChecked(m_dataPath, RecipeBas::ConnectString);
        } catch (...) {
            m_checked.set_exception(std::current_exception());
            m_database.reset();
        }
    }
    if (m_database) {
        try {
            // What the tree's first load reads, read while the window is built.
            m_reads = RecipeBas::ReadTreeAhead(*m_database);
        } catch (...) {
            m_reads.reset(); // the load reads for itself
        }
        m_checked.set_value();
    }
    if (application.get())
        MainForm::LoadFonts();
}

void EarlyStart::applicationReady()
{
    tellApplication(true);
}

void EarlyStart::check(const QString &dataPath)
{
    if (!m_verdict.valid() || dataPath != m_dataPath) {
        RecipeBas::CheckRecipeDataBase();
        return;
    }
    m_verdict.get(); // raises what the check raised
    RecipeBas::OfferOpenDatabase(dataPath, std::move(m_database), std::move(m_reads));
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
