#include "Import.h"

#include "Backup.h"
#include "Catalog.h"
#include "JetRecipeReader.h"
#include "RecipeBas.h"
#include "formats/RecipeReader.h"
#include "platform/dao/DBEngine.h"
#include "platform/dao/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace Import {

namespace {

// What makes two recipes of one category the same recipe, in two independent hashes, so that
// two different recipes are never taken for one.
using Key = std::pair<size_t, size_t>;

Key KeyOf(const QString &name, const QString &ingredients, const QString &instructions)
{
    QString text = RecipeBas::StoredText(name) + QChar(0) + RecipeBas::StoredText(ingredients) +
                   QChar(0) + RecipeBas::StoredText(instructions);
    // Line breaks typed here are line feeds; recipes of the earlier program have CR LF.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return {qHash(text, 0x5bd1e995u), qHash(text, 0x9e3779b9u)};
}

// The import of one run: the target categories as found or made, and what each holds.
class Importer
{
public:
    Importer(dao::Database &db, const Options &options, Report &report)
        : m_db(db), m_options(options), m_report(report)
    {
        for (const QString &name : Catalog::Categories(db))
            m_existing.insert(name.toLower(), name);
    }

    void read(const QString &file);
    void begin();
    bool begun() const { return m_begun; }

private:
    QString category(const formats::FormatRecipe &recipe);
    QString make(const QString &name, QString &refusal);
    QSet<Key> &keys(const QString &category);
    void add(const QString &file, const formats::ReadEntry &entry);

    dao::Database &m_db;
    const Options &m_options;
    Report &m_report;
    QHash<QString, QString> m_existing; // categories by their name in lower case
    QHash<QString, QSet<Key>> m_keys;   // the recipes of each target category
    QHash<QString, QString> m_refused;  // names refused, with the reason
    // The tables written to, each opened once: an import adds thousands of recipes to one.
    QHash<QString, std::shared_ptr<dao::Recordset>> m_tables;
    bool m_begun = false;
};

QString Importer::make(const QString &name, QString &refusal)
{
    const auto found = m_existing.constFind(name.toLower());
    if (found != m_existing.constEnd())
        return *found;
    // The tree tells its nodes apart by key in lower case; the root's is "ab".
    if (name.toLower() == RecipeBas::RootKey.toLower()) {
        refusal = QStringLiteral("the tree could not tell it from its root");
        return {};
    }
    try {
        begin();
        RecipeBas::AppendCategoryTable(m_db, name);
    } catch (const dao::Error &e) {
        if (e.number() != dao::errInvalidName && e.number() != dao::errTableExists)
            throw;
        refusal = e.message();
        return {};
    }
    m_existing.insert(name.toLower(), name);
    return name;
}

QString Importer::category(const formats::FormatRecipe &recipe)
{
    const QString own = recipe.categories.value(0).trimmed();
    if (m_options.ownCategories && !own.isEmpty() && own != RecipeBas::PlaceholderCategory &&
        !m_refused.contains(own)) {
        QString refusal;
        const QString made = make(own, refusal);
        if (!made.isEmpty())
            return made;
        m_refused.insert(own, refusal);
        m_report.notes << QStringLiteral("The category \"%1\" could not be made (%2); its recipes "
                                         "went to \"%3\".")
                              .arg(own, refusal, m_options.category);
    }
    QString refusal;
    const QString chosen = make(m_options.category, refusal);
    if (chosen.isEmpty())
        throw dao::Error(dao::errInvalidName,
                         QStringLiteral("The category \"%1\" could not be made: %2")
                             .arg(m_options.category, refusal));
    return chosen;
}

QSet<Key> &Importer::keys(const QString &category)
{
    auto it = m_keys.find(category);
    if (it == m_keys.end()) {
        it = m_keys.insert(category, {});
        for (const Catalog::Recipe &r : Catalog::Recipes(m_db, category))
            it->insert(KeyOf(r.name, r.ingredients, r.instructions));
    }
    return *it;
}

// The backup before the run's first change, then the one transaction of the import.
void Importer::begin()
{
    if (m_begun)
        return;
    RecipeBas::KeepBackupBeforeChange();
    m_db.BeginTrans();
    m_begun = true;
}

void Importer::add(const QString &file, const formats::ReadEntry &entry)
{
    if (!entry.ok()) {
        m_report.skipped << Skipped{file, entry.line, entry.skipped};
        return;
    }
    const formats::FormatRecipe &r = entry.recipe;
    if (r.name.size() > formats::MaxNameLength || r.author.size() > formats::MaxNameLength) {
        m_report.skipped << Skipped{
            file, entry.line,
            QStringLiteral("a name or author over %1 characters").arg(formats::MaxNameLength)};
        return;
    }
    const QString target = category(r);
    QSet<Key> &known = keys(target);
    const Key key = KeyOf(r.name, r.ingredients, r.instructions);
    if (known.contains(key)) {
        ++m_report.duplicates;
        ++m_report.perCategory[target].duplicates;
        return;
    }
    begin();
    // What Catalog::Add does, on a record set kept open; the engine keeps the index in step.
    std::shared_ptr<dao::Recordset> &table = m_tables[target];
    if (!table)
        table = m_db.OpenRecordset(target);
    table->AddNew();
    const QString *fields[4] = {&r.name, &r.author, &r.ingredients, &r.instructions};
    for (int i = 0; i < 4; ++i)
        table->Fields(i).setValue(RecipeBas::StoredText(*fields[i]));
    table->Update();
    known.insert(key);
    ++m_report.imported;
    ++m_report.perCategory[target].imported;
}

void Importer::read(const QString &path)
{
    const QString file = QFileInfo(path).fileName();
    QFile device(path);
    if (!device.open(QIODevice::ReadOnly)) {
        m_report.notes
            << QStringLiteral("%1 could not be read: %2").arg(file, device.errorString());
        return;
    }
    const formats::Format format = formats::DetectFormat(device);
    std::unique_ptr<formats::RecipeReader> reader;
    if (format == formats::Format::Jet) {
        device.close();
        reader = std::make_unique<JetRecipeReader>(path);
    } else {
        reader = formats::OpenReader(device, format);
    }
    if (!reader) {
        if (format == formats::Format::Binary)
            m_report.notes
                << QStringLiteral("%1 holds no recipes this program can read.").arg(file);
        return;
    }
    formats::ReadEntry entry;
    const int before = m_report.imported + m_report.duplicates + int(m_report.skipped.size());
    while (reader->next(entry))
        add(file, entry);
    if (m_report.imported + m_report.duplicates + m_report.skipped.size() == before)
        m_report.notes << QStringLiteral("%1 holds no recipes.").arg(file);
}

} // namespace

QString Report::text() const
{
    QStringList lines;
    if (!ok)
        lines << QStringLiteral("Nothing was imported: %1").arg(error)
              << QStringLiteral("The recipe file was left as it was.");
    lines << QStringLiteral("%1 imported, %2 skipped, %3 duplicates not imported again.")
                 .arg(imported)
                 .arg(skipped.size())
                 .arg(duplicates);
    for (auto it = perCategory.begin(); it != perCategory.end(); ++it)
        lines << QStringLiteral("  %1: %2 imported, %3 duplicates")
                     .arg(it.key())
                     .arg(it->imported)
                     .arg(it->duplicates);
    lines << notes;
    for (const Skipped &s : skipped)
        lines << (s.line > 0 ? QStringLiteral("Skipped: %1, line %2: %3")
                                   .arg(s.file)
                                   .arg(s.line)
                                   .arg(s.reason)
                             : QStringLiteral("Skipped: %1: %2").arg(s.file, s.reason));
    return lines.join(QLatin1Char('\n'));
}

Report ImportFiles(const QStringList &files, const Options &options)
{
    Report report;
    std::unique_ptr<dao::Database> db;
    try {
        db = dao::DBEngine::OpenDatabase(RecipeBas::DataPath, false, false,
                                         RecipeBas::ConnectString);
        Importer importer(*db, options, report);
        for (const QString &file : files)
            importer.read(file);
        if (importer.begun())
            db->CommitTrans();
        db->Close();
    } catch (const dao::Error &e) {
        if (db) {
            try {
                db->Close(); // a transaction still open is rolled back
            } catch (const dao::Error &) {
            }
        }
        report = Report{false, e.message(), 0, 0, {}, report.skipped, report.notes};
    }
    return report;
}

} // namespace Import
