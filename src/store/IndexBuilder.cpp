#include "IndexBuilder.h"

#include "Catalog.h"
#include "platform/dao/DBEngine.h"
#include "platform/dao/Error.h"

#include <QMetaObject>
#include <QPointer>

IndexBuilder::IndexBuilder(const QString &path, const QString &connect, bool check, QObject *parent)
    : QObject(parent), m_path(path), m_connect(connect), m_check(check)
{
}

IndexBuilder::~IndexBuilder()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void IndexBuilder::start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

void IndexBuilder::run()
{
    bool current = false;
    QString error;
    const auto report = [this](qint64 done, qint64 total) {
        if (m_stop)
            return false;
        QMetaObject::invokeMethod(
            this, [this, done, total] { emit progress(done, total); }, Qt::QueuedConnection);
        return true;
    };
    try {
        auto db = dao::DBEngine::OpenDatabase(m_path, false, false, m_connect);
        if (m_check)
            Catalog::RepairIndex(*db, report);
        current = !m_stop && Catalog::EnsureIndex(*db, report);
        db->Close();
    } catch (const dao::Error &e) {
        error = e.message();
    }
    if (m_stop)
        return; // nobody is listening any more
    QMetaObject::invokeMethod(
        this, [this, current, error] { emit finished(current, error); }, Qt::QueuedConnection);
}
