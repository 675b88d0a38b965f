// Kitchenex: a single-user recipe manager. The main window is the start-up window; closing it
// ends the program.
#include "main/MainForm.h"
#include "platform/dao/Maintenance.h"
#include "store/Backup.h"
#include "store/RecipeBas.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <exception>
#include <future>
#include <thread>

namespace {

// Work begun before anything else, on a thread of its own, so that it runs while the
// application starts and the window is built:
// - the quick check of the database, which reads the whole file. The window's load waits for
//   its verdict before it shows anything of the file, and the checked database stays open for
//   the tree's load, which then finds its pages in memory;
// - then, once the application object exists, loading the fonts the window shows.
class EarlyStart
{
public:
    EarlyStart()
    {
        // Where the program is, as QCoreApplication::applicationDirPath() will say (it reads
        // the same link), known before the application object exists.
        const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        if (!program.isEmpty()) {
            m_dataPath = QDir(QFileInfo(program).path()).filePath(QStringLiteral("Recipe"));
            m_verdict = m_checked.get_future();
        }
        m_thread = std::thread([this, application = m_application.get_future()]() mutable {
            if (!m_dataPath.isEmpty()) {
                try {
                    // What RecipeBas::CheckRecipeDataBase does, for this data path.
                    m_database =
                        dao::Maintenance::OpenChecked(m_dataPath, RecipeBas::ConnectString);
                    m_checked.set_value();
                } catch (...) {
                    m_checked.set_exception(std::current_exception());
                }
            }
            if (application.get())
                MainForm::LoadFonts();
        });
    }
    ~EarlyStart() { finish(); }
    EarlyStart(const EarlyStart &) = delete;
    EarlyStart &operator=(const EarlyStart &) = delete;

    // The application object exists: the fonts may load.
    void applicationReady() { tellApplication(true); }

    // The verdict for dataPath: the early one when it checked that file, else a check now.
    // The file checked early is offered to the store's next open.
    void check(const QString &dataPath)
    {
        if (!m_verdict.valid() || dataPath != m_dataPath) {
            RecipeBas::CheckRecipeDataBase();
            return;
        }
        m_verdict.get(); // raises what the check raised
        RecipeBas::OfferOpenDatabase(dataPath, std::move(m_database));
    }

    // Waits for the thread; called while the application object still exists.
    void finish()
    {
        tellApplication(false);
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    void tellApplication(bool ready)
    {
        if (m_told)
            return;
        m_told = true;
        m_application.set_value(ready);
    }

    QString m_dataPath;
    std::unique_ptr<dao::Database> m_database;
    std::promise<void> m_checked;
    std::future<void> m_verdict;
    std::promise<bool> m_application;
    bool m_told = false;
    std::thread m_thread;
};

} // namespace

int main(int argc, char **argv)
{
    EarlyStart early;
    QApplication app(argc, argv);
    early.applicationReady();
    QApplication::setApplicationName(QStringLiteral("Kitchenex"));
    QApplication::setQuitOnLastWindowClosed(false);

    MainForm form(QCoreApplication::applicationDirPath());
    QObject::connect(&form, &MainForm::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    form.setStartupCheck([&early](const QString &dataPath) { early.check(dataPath); });
    form.Form_Load();
    form.show();
    const int code = QApplication::exec();
    early.finish();
    return code;
}
