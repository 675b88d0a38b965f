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
#include <thread>

namespace {

// The quick check of the database reads the whole file. It is begun before anything else, on
// a thread of its own, so that it runs while the application starts and the window is built;
// the window's load waits for its verdict before it shows anything of the file. The checked
// database stays open for the tree's load, which then finds its pages in memory.
class EarlyCheck
{
public:
    EarlyCheck()
    {
        // Where the program is, as QCoreApplication::applicationDirPath() will say (it reads
        // the same link), known before the application object exists.
        const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        if (program.isEmpty())
            return;
        m_dataPath = QDir(QFileInfo(program).path()).filePath(QStringLiteral("Recipe"));
        m_thread = std::thread([this] {
            try {
                // What RecipeBas::CheckRecipeDataBase does, for this data path.
                m_database = dao::Maintenance::OpenChecked(m_dataPath, RecipeBas::ConnectString);
            } catch (...) {
                m_error = std::current_exception();
            }
        });
    }
    ~EarlyCheck()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    EarlyCheck(const EarlyCheck &) = delete;
    EarlyCheck &operator=(const EarlyCheck &) = delete;

    // The verdict for dataPath: the early one when it checked that file, else a check now.
    // The file checked early is offered to the store's next open.
    void finish(const QString &dataPath)
    {
        if (!m_thread.joinable() || dataPath != m_dataPath) {
            RecipeBas::CheckRecipeDataBase();
            return;
        }
        m_thread.join();
        if (m_error)
            std::rethrow_exception(m_error);
        RecipeBas::OfferOpenDatabase(dataPath, std::move(m_database));
    }

private:
    QString m_dataPath;
    std::unique_ptr<dao::Database> m_database;
    std::exception_ptr m_error;
    std::thread m_thread;
};

} // namespace

int main(int argc, char **argv)
{
    EarlyCheck check;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kitchenex"));
    QApplication::setQuitOnLastWindowClosed(false);

    MainForm form(QCoreApplication::applicationDirPath());
    QObject::connect(&form, &MainForm::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    form.setStartupCheck([&check](const QString &dataPath) { check.finish(dataPath); });
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
