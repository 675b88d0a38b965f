// The main window's start-up check: the verdict on the database, which may come after the
// window shows, the report of a file that cannot be used, and the changes held until then.
#include "MainForm.h"

#include "platform/dao/Database.h"
#include "platform/dao/Error.h"
#include "platform/vb/MsgBox.h"
#include "platform/vb/TreeView.h"
#include "store/Backup.h"
#include "store/RecipeBas.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>

void MainForm::checkNow()
{
    m_verdict = Verdict::Sound;
    std::unique_ptr<dao::Database> checked = RecipeBas::CheckRecipeDataBase();
    makeFindIndex(checked.get());
    RecipeBas::AfterSoundCheck(std::move(checked));
}

void MainForm::checked(std::exception_ptr failure, std::unique_ptr<dao::Database> database)
{
    if (m_verdict != Verdict::Pending)
        return;
    m_verdict = Verdict::Sound;
    try {
        if (failure)
            std::rethrow_exception(failure);
    } catch (const std::exception &e) {
        // Reported as a failed load is: nothing of the file is shown.
        Tv->Clear();
        startupFailed(e);
    }
    if (m_verdict == Verdict::Sound) {
        if (database)
            makeFindIndex(database.get());
        RecipeBas::AfterSoundCheck(std::move(database));
    } else if (isVisible())
        showStartupProblem();
}

void MainForm::awaitVerdict()
{
    if (m_verdict == Verdict::Pending) {
        // The command goes on once the verdict is in. Meanwhile the window is drawn, and what
        // the user does next waits in turn, behind the wait cursor.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        while (m_verdict == Verdict::Pending)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::WaitForMoreEvents);
        QApplication::restoreOverrideCursor();
    }
    // Writing into a damaged file could lose more, and its copy would push a good backup out.
    if (m_verdict == Verdict::Damaged)
        throw dao::Error(dao::errDatabaseDamaged,
                         QStringLiteral("No backup copy of the recipe database could be made, so "
                                        "nothing was changed.\r\n%1 No backup copy was made of it.")
                             .arg(m_damage));
}

void MainForm::startupFailed(const std::exception &e)
{
    const auto *error = dynamic_cast<const dao::Error *>(&e);
    const bool damaged = error && error->number() == dao::errDatabaseDamaged;
    // A tree that fails to load while the check goes on still waits for its verdict.
    if (m_verdict != Verdict::Pending)
        m_verdict = damaged ? Verdict::Damaged : Verdict::Failed;
    m_damage = QString::fromUtf8(e.what());
    const QString file = RecipeBas::DataBaseFile();
    m_startupProblem =
        QStringLiteral("The recipe database %1, so no recipes are shown."
                       "\r\n\r\nFile: %2\r\nReason: %3")
            .arg(damaged ? QStringLiteral("is damaged") : QStringLiteral("could not be opened"),
                 QDir::toNativeSeparators(file), QString::fromUtf8(e.what()));
    const QStringList backups = RecipeBas::BackupFiles(file);
    if (!backups.isEmpty()) {
        const QFileInfo newest(backups.first());
        m_startupProblem +=
            QStringLiteral("\r\n\r\nThe newest backup copy is %1, saved %2. To go back to "
                           "it, close Kitchenex and copy the backup over %3.")
                .arg(QDir::toNativeSeparators(newest.absoluteFilePath()),
                     QLocale::system().toString(newest.lastModified(), QLocale::ShortFormat),
                     QFileInfo(file).fileName());
    }
}

void MainForm::showStartupProblem()
{
    if (m_startupProblem.isEmpty() || m_startupReported)
        return;
    m_startupReported = true;
    vb::MsgBox(m_startupProblem, vb::vbCritical, QString(), this);
}
