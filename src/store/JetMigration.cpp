#include "JetMigration.h"

#include "RecipeBas.h"
#include "platform/dao/DBEngine.h"
#include "platform/dao/Error.h"
#include "platform/jet/JetHeader.h"
#include "platform/jet/JetReaderProcess.h"
#include "platform/vb/MsgBox.h"

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRandomGenerator>

namespace {

constexpr int CategoryColumns = 4;
constexpr int MaxTextLength = 255; // what a Text field of the engine holds

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace

QString categoryLayoutProblem(const jet::Table &table)
{
    if (table.columns.size() != CategoryColumns)
        return QStringLiteral("it has %1 columns; a category has 4 (Name, Author, Ingredients, "
                              "Instructions)")
            .arg(table.columns.size());
    static const char *const roles[] = {"Name", "Author", "Ingredients", "Instructions"};
    for (int i = 0; i < CategoryColumns; ++i) {
        const jet::Column &column = table.columns.at(i);
        const bool text = column.type == jet::Text;
        const bool memo = column.type == jet::Memo;
        if (i < 2 && !text)
            return QStringLiteral("column %1 (\"%2\") is %3; the %4 of a recipe must be Text")
                .arg(i + 1)
                .arg(column.name, jet::columnTypeName(column.type), QString::fromLatin1(roles[i]));
        if (i >= 2 && !text && !memo)
            return QStringLiteral("column %1 (\"%2\") is %3; the %4 of a recipe must be Memo "
                                  "or Text")
                .arg(i + 1)
                .arg(column.name, jet::columnTypeName(column.type), QString::fromLatin1(roles[i]));
    }
    return QString();
}

QString categoryRowsProblem(const jet::TableData &data)
{
    for (qsizetype r = 0; r < data.rows.size(); ++r) {
        const jet::Row &row = data.rows.at(r);
        if (row.size() != CategoryColumns)
            return QStringLiteral("row %1 does not have 4 values").arg(r + 1);
        for (int i = 0; i < CategoryColumns; ++i) {
            const QVariant &value = row.at(i);
            if (value.isValid() && value.typeId() != QMetaType::QString)
                return QStringLiteral("row %1, column %2 holds no text").arg(r + 1).arg(i + 1);
            if (i < 2 && value.toString().size() > MaxTextLength)
                return QStringLiteral("row %1: its %2 is %3 characters long, and a Name or "
                                      "Author holds at most 255; it is not cut short")
                    .arg(r + 1)
                    .arg(i == 0 ? QStringLiteral("Name") : QStringLiteral("Author"))
                    .arg(value.toString().size());
        }
    }
    return QString();
}

QList<jet::TableData>
readCategoryTables(const QString &path,
                   const std::function<void(const QString &table, const QString &why)> &skipped)
{
    const jet::ReadResult schema = jet::JetReaderProcess::read(path);
    QStringList wanted;
    for (const jet::Table &table : schema.tables) {
        const QString problem = categoryLayoutProblem(table);
        if (problem.isEmpty())
            wanted.append(table.name);
        else
            skipped(table.name, problem);
    }
    return jet::JetReaderProcess::read(path, wanted).data;
}

namespace {

void removeDatabaseFile(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

// A name beside target that nobody uses: TARGET.partial-XXXXXX.
QString temporaryPath(const QString &target)
{
    for (;;) {
        const QString candidate =
            QStringLiteral("%1.partial-%2")
                .arg(target)
                .arg(QRandomGenerator::global()->generate() & 0xffffff, 6, 16, QLatin1Char('0'));
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

// Makes the engine file at path (which must not exist) with the categories given. Tables whose
// names the engine refuses are moved from categories to skipped. Throws dao::Error.
void writeCategories(const QString &path, QList<jet::TableData> &categories,
                     QList<JetSkippedTable> &skipped)
{
    auto db = dao::DBEngine::CreateDatabase(path, RecipeBas::Password);
    for (auto it = categories.begin(); it != categories.end();) {
        const jet::TableData &data = *it;
        try {
            RecipeBas::AppendCategoryTable(*db, data.table.name);
        } catch (const dao::Error &e) {
            if (e.number() != dao::errInvalidName && e.number() != dao::errTableExists)
                throw;
            skipped.append({data.table.name, e.message()});
            it = categories.erase(it);
            continue;
        }
        auto rs = db->OpenRecordset(data.table.name);
        for (const jet::Row &row : data.rows) {
            rs->AddNew();
            for (int i = 0; i < CategoryColumns; ++i)
                rs->Fields(i).setValue(row.at(i));
            rs->Update();
        }
        rs->Close();
        ++it;
    }
    db->Close();

    // Read back what the engine holds before the file takes the place of anything.
    auto check = dao::DBEngine::OpenDatabase(path, false, true, RecipeBas::ConnectString);
    for (const jet::TableData &data : categories) {
        auto rs = check->OpenRecordset(data.table.name);
        if (rs->RecordCount() != data.rows.size())
            throw dao::Error(dao::errEngine,
                             QStringLiteral("The new table \"%1\" holds %2 rows instead of %3.")
                                 .arg(data.table.name)
                                 .arg(rs->RecordCount())
                                 .arg(data.rows.size()));
        rs->Close();
    }
    check->Close();
}

// Reads source and writes the engine file into a temporary file beside target, which is left
// there for the caller to move on success (its path in temporary). On failure no temporary
// file is left.
JetConversionReport convertToTemporary(const QString &source, const QString &target,
                                       QString &temporary)
{
    JetConversionReport report;
    QList<jet::TableData> categories;
    try {
        const QList<jet::TableData> tables =
            readCategoryTables(source, [&report](const QString &table, const QString &why) {
                report.skipped.append({table, why});
            });
        for (const jet::TableData &data : tables) {
            const QString problem = categoryRowsProblem(data);
            if (!problem.isEmpty()) {
                report.skipped.append({data.table.name, problem});
                continue;
            }
            categories.append(data);
        }
    } catch (const jet::JetError &e) {
        report.error = e.message();
        return report;
    }

    temporary = temporaryPath(target);
    try {
        writeCategories(temporary, categories, report.skipped);
    } catch (const dao::Error &e) {
        removeDatabaseFile(temporary);
        temporary.clear();
        report.error = QStringLiteral("The new database could not be written: %1").arg(e.message());
        return report;
    }
    for (const jet::TableData &data : std::as_const(categories)) {
        report.categories.append({data.table.name, data.rows.size()});
        report.valuesWithLostCharacters += data.valuesWithLostCharacters;
    }
    report.ok = true;
    return report;
}

// Recipe.jet.mdb, else Recipe.jet-2.mdb, Recipe.jet-3.mdb, ...: the first free name.
QString freeBackupName(const QDir &folder, int from = 1)
{
    for (int n = from;; ++n) {
        const QString name =
            n == 1 ? QStringLiteral("Recipe.jet.mdb") : QStringLiteral("Recipe.jet-%1.mdb").arg(n);
        const QString path = folder.filePath(name);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return path;
    }
}

class BusyCursor
{
public:
    BusyCursor()
    {
        m_active = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
        if (m_active)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyCursor()
    {
        if (m_active)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_active = false;
};

} // namespace

qint64 JetConversionReport::recipeCount() const
{
    qint64 total = 0;
    for (const JetConvertedTable &table : categories)
        total += table.rows;
    return total;
}

QString JetConversionReport::text() const
{
    if (!ok)
        return QStringLiteral("The conversion failed: %1").arg(error);
    QStringList lines;
    lines << QStringLiteral("%1 %2 with %3 %4 came across.")
                 .arg(categories.size())
                 .arg(categories.size() == 1 ? QStringLiteral("category")
                                             : QStringLiteral("categories"))
                 .arg(recipeCount())
                 .arg(recipeCount() == 1 ? QStringLiteral("recipe") : QStringLiteral("recipes"));
    for (const JetConvertedTable &table : categories)
        lines << QStringLiteral("  %1: %2 %3")
                     .arg(table.name)
                     .arg(table.rows)
                     .arg(table.rows == 1 ? QStringLiteral("recipe") : QStringLiteral("recipes"));
    if (skipped.isEmpty()) {
        lines << QStringLiteral("No table was skipped.");
    } else {
        lines << QStringLiteral("%1 %2 skipped:")
                     .arg(skipped.size())
                     .arg(skipped.size() == 1 ? QStringLiteral("table was")
                                              : QStringLiteral("tables were"));
        for (const JetSkippedTable &table : skipped)
            lines << QStringLiteral("  %1: %2.").arg(table.name, table.reason);
    }
    if (valuesWithLostCharacters > 0)
        lines << QStringLiteral("%1 %2 characters that the Access reader cannot read (such as "
                                "emoji); each of them came across as \"?\".")
                     .arg(valuesWithLostCharacters)
                     .arg(valuesWithLostCharacters == 1 ? QStringLiteral("text held")
                                                        : QStringLiteral("texts held"));
    return lines.join(QLatin1Char('\n'));
}

bool isJetFile(const QString &path)
{
    return jet::JetHeader::inspect(path).isJet();
}

bool isAceFile(const QString &path)
{
    return jet::JetHeader::inspect(path).format() == jet::JetHeader::Format::Ace;
}

JetConversionReport convertJetDatabase(const QString &source, const QString &target)
{
    JetConversionReport report;
    const QString shownTarget = QDir::toNativeSeparators(target);
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
        report.error =
            QStringLiteral("%1 exists already; it is never written over").arg(shownTarget);
        return report;
    }
    if (QFileInfo(source).absoluteFilePath() == QFileInfo(target).absoluteFilePath()) {
        report.error = QStringLiteral("the source and the target are the same file");
        return report;
    }
    QString temporary;
    report = convertToTemporary(source, target, temporary);
    if (!report.ok)
        return report;
    // rename() never replaces an existing file: a target that appeared meanwhile is kept.
    if (!QFile::rename(temporary, target)) {
        removeDatabaseFile(temporary);
        JetConversionReport failed;
        failed.error =
            QFileInfo::exists(target)
                ? QStringLiteral("%1 appeared while converting; it is never written "
                                 "over")
                      .arg(shownTarget)
                : QStringLiteral("the new database could not be saved as %1").arg(shownTarget);
        return failed;
    }
    return report;
}

bool offerJetMigration(const QString &folder, QWidget *parent)
{
    const QDir dir(folder);
    const QString recipe = dir.filePath(QStringLiteral("Recipe.mdb"));
    const jet::JetHeader header = jet::JetHeader::inspect(recipe);
    if (header.format() == jet::JetHeader::Format::Ace) {
        vb::MsgBox(QStringLiteral("Recipe.mdb is a database of Access 2007 or later (.accdb). "
                                  "Kitchenex can convert recipe databases of Access 97 to 2003 "
                                  "(.mdb) only.\n\nThe file was left as it is."),
                   vb::vbOKOnly | vb::vbCritical, QString(), parent);
        return false;
    }
    if (!header.isJet())
        return false;

    const QString backupCandidate = freeBackupName(dir);
    const int answer = vb::MsgBox(
        QStringLiteral("Recipe.mdb is a recipe database of the earlier Kitchenex for Windows "
                       "(a Microsoft Access file), which this version cannot open as it is.\n\n"
                       "Convert it now? The original file is kept, unchanged, as %1.\n\n"
                       "If you answer No, nothing is changed and Kitchenex starts with an "
                       "empty recipe tree.")
            .arg(fileName(backupCandidate)),
        vb::vbYesNo | vb::vbDefaultButton2, QString(), parent);
    if (answer != vb::vbYes)
        return false;

    auto failure = [parent](const QString &what) {
        vb::MsgBox(QStringLiteral("Recipe.mdb could not be converted: %1\n\nThe Access file was "
                                  "left as it is.")
                       .arg(what),
                   vb::vbOKOnly | vb::vbCritical, QString(), parent);
        return false;
    };

    QString temporary;
    JetConversionReport report;
    {
        BusyCursor busy;
        report = convertToTemporary(recipe, recipe, temporary);
    }
    if (!report.ok)
        return failure(report.error);

    // The Jet file steps aside under a free name; rename() never replaces a file, so a name
    // taken meanwhile makes it try the next one.
    QString backup = freeBackupName(dir);
    int attempt = 1;
    while (!QFile::rename(recipe, backup)) {
        if (!QFileInfo::exists(backup) || ++attempt > 100) {
            removeDatabaseFile(temporary);
            return failure(QStringLiteral("it could not be renamed to %1").arg(fileName(backup)));
        }
        backup = freeBackupName(dir, attempt);
    }
    if (!QFile::rename(temporary, recipe)) {
        removeDatabaseFile(temporary);
        if (!QFile::rename(backup, recipe))
            return failure(QStringLiteral("the new database could not be saved as Recipe.mdb, "
                                          "and the Access file could not get its name back: "
                                          "it is now %1")
                               .arg(fileName(backup)));
        return failure(QStringLiteral("the new database could not be saved as Recipe.mdb"));
    }

    QString text = QStringLiteral("Recipe.mdb was converted.\n\n") + report.text();
    text += QStringLiteral("\n\nThe original Access file was kept as %1.").arg(fileName(backup));
    if (fileName(backup) != QStringLiteral("Recipe.jet.mdb"))
        text += QStringLiteral(" (Recipe.jet.mdb exists already and was not touched.)");
    vb::MsgBox(text, vb::vbOKOnly | vb::vbInformation, QString(), parent);
    return true;
}
