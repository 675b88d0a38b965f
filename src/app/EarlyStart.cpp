#include "app/EarlyStart.h"

#include "main/MainForm.h"
#include "platform/dao/Database.h"
#include "platform/dao/Maintenance.h"
#include "store/Backup.h"
#include "store/RecipeBas.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <exception>

#ifdef KX_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace {

// The check's page cache is some two thousand blocks of a little over 4 KiB. A thread's heap
// grows by one system call for each block that does not fit, and each such call holds the
// program's memory map against the main thread, which is mapping Qt's libraries and plugins at
// the same moment. Growing the heap in a few large steps first, and giving the memory back at
// once, leaves the check only the first touch of each page.
void growHeap(std::size_t bytes)
{
    constexpr std::size_t Step = 100 * 1024; // below the size that malloc maps on its own
    std::array<void *, 256> blocks{};
    const std::size_t count = std::min(blocks.size(), bytes / Step);
    for (std::size_t i = 0; i < count; ++i)
        blocks[i] = std::malloc(Step);
    for (std::size_t i = 0; i < count; ++i)
        std::free(blocks[i]);
}

} // namespace

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

QString EarlyStart::ProgramDataPath()
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (program.isEmpty())
        return QString();
    return QDir(QFileInfo(program).path()).filePath(QStringLiteral("Recipe"));
}

void EarlyStart::run(std::future<bool> application)
{
#ifdef KX_HAVE_FONTCONFIG
    // The first font look-up of the application reads the system's font configuration (about
    // 4 ms here); read now, while the main thread is still starting, it is ready by then.
    FcInit();
#endif
    if (!m_dataPath.isEmpty()) {
        growHeap(std::size_t(dao::Maintenance::CheckCacheKiB) * 1024);
        try {
            // What RecipeBas::CheckRecipeDataBase does, for this data path.
            m_database = dao::Maintenance::OpenChecked(m_dataPath, RecipeBas::ConnectString);
            m_checked.set_value();
        } catch (...) {
            m_checked.set_exception(std::current_exception());
        }
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
    RecipeBas::OfferOpenDatabase(dataPath, std::move(m_database));
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
