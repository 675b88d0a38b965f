// Taking recipes out from the main window: the recipe, its category or everything, as chosen
// in the tree, to a Meal-Master or JSON file (the tree's menu, Ctrl+Shift+E), or a category or
// everything as a cookbook (a web page or a PDF).
#include "MainForm.h"

#include "TreeChoice.h"
#include "platform/dao/DBEngine.h"
#include "platform/vb/MsgBox.h"
#include "print/Cookbook.h"
#include "store/Catalog.h"
#include "store/Export.h"
#include "store/RecipeBas.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <stdexcept>

namespace {

// What the user chose to take out, the name its file is offered under, and the file chosen.
struct Scope
{
    Export::Selection selection;
    QString name;
    QString path;
};

QString quoted(const QString &text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

// Asks which of what the tree chooses is meant: the recipe (when recipes are offered), its
// category, or every recipe. Nothing chosen in the tree means every recipe, without asking.
std::optional<Scope> askScope(const TreeChoice &chosen, bool recipes, const QString &title,
                              const QString &question, QWidget *parent)
{
    QStringList buttons;
    QList<Scope> scopes;
    if (recipes && chosen.row) {
        buttons << QStringLiteral("This &recipe %1").arg(quoted(chosen.recipe.trimmed()));
        scopes << Scope{{chosen.category, chosen.row}, chosen.recipe.trimmed(), {}};
    }
    if (!chosen.category.isEmpty()) {
        buttons << QStringLiteral("The &category %1").arg(quoted(chosen.category));
        scopes << Scope{{chosen.category, {}}, chosen.category, {}};
    }
    buttons << QStringLiteral("&Every recipe");
    scopes << Scope{{}, QStringLiteral("Kitchenex Recipes"), {}};
    if (scopes.size() == 1)
        return scopes.first();
    const int answer = vb::Choose(question, buttons, title, parent);
    if (answer < 0 || answer >= scopes.size())
        return std::nullopt;
    return scopes[answer];
}

// A name offered for the file: the characters file systems refuse become "_". It has no suffix:
// the type chosen in the dialog gives it, unless the user types one.
QString fileName(const QString &name)
{
    QString safe = name;
    for (QChar &c : safe)
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 32)
            c = QLatin1Char('_');
    return safe.isEmpty() ? QStringLiteral("Recipes") : safe;
}

// Asks what to take out, then for the file (filters as the save dialog takes them); none when
// the user cancels either.
std::optional<Scope> askTarget(const TreeChoice &chosen, bool recipes, const QString &title,
                               const QString &question, const QStringList &filters, QWidget *parent)
{
    std::optional<Scope> scope = askScope(chosen, recipes, title, question, parent);
    if (scope)
        scope->path = vb::GetSaveFileName(title, fileName(scope->name), filters, parent);
    if (!scope || scope->path.isEmpty())
        return std::nullopt;
    return scope;
}

[[noreturn]] void cannotWrite(const QString &path, const QString &reason)
{
    throw std::runtime_error(QStringLiteral("The file %1 could not be written: %2")
                                 .arg(QDir::toNativeSeparators(path), reason)
                                 .toStdString());
}

std::unique_ptr<dao::Database> openToRead()
{
    return dao::DBEngine::OpenDatabase(RecipeBas::DataPath, false, true, RecipeBas::ConnectString);
}

QString recipes(qint64 count)
{
    return count == 1 ? QStringLiteral("1 recipe") : QStringLiteral("%1 recipes").arg(count);
}

bool isSuffix(const QString &path, const char *suffix)
{
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

} // namespace

void MainForm::ExportRecipes()
{
    const std::optional<Scope> scope =
        askTarget(TreeChoice::Of(*Tv), true, QStringLiteral("Export Recipes"),
                  QStringLiteral("Which recipes should be exported?"),
                  {QStringLiteral("Meal-Master (*.mmf)"), QStringLiteral("JSON (*.json)")}, this);
    if (!scope)
        return;
    const QString &path = scope->path;
    const Export::Format format =
        isSuffix(path, "json") ? Export::Format::Json : Export::Format::MealMaster;
    handle(QStringLiteral("export the recipes"), [&] {
        const auto db = openToRead();
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            cannotWrite(path, out.errorString());
        const qint64 count = Export::Write(*db, out, format, scope->selection);
        if (count < 0 || !out.commit())
            cannotWrite(path, out.errorString());
        vb::MsgBox(QStringLiteral("%1 exported to %2.")
                       .arg(recipes(count), QDir::toNativeSeparators(path)),
                   vb::vbInformation, QString(), this);
    });
}

void MainForm::MakeCookbook()
{
    const std::optional<Scope> scope =
        askTarget(TreeChoice::Of(*Tv), false, QStringLiteral("Make a Cookbook"),
                  QStringLiteral("Which recipes should the cookbook hold?"),
                  {QStringLiteral("PDF (*.pdf)"), QStringLiteral("Web page (*.htm *.html)")}, this);
    if (!scope)
        return;
    const QString &path = scope->path;
    handle(QStringLiteral("make the cookbook"), [&] {
        Cookbook book(scope->name);
        {
            const auto db = openToRead();
            const QString category = scope->selection.category;
            for (const QString &c :
                 category.isEmpty() ? Catalog::Categories(*db) : QStringList{category})
                for (const Catalog::Recipe &r : Catalog::Recipes(*db, c))
                    book.add(c, r.name, r.author, r.ingredients, r.instructions);
        }
        if (book.size() == 0) {
            vb::MsgBox(QStringLiteral("There are no recipes for a cookbook here."), vb::vbOKOnly,
                       QString(), this);
            return;
        }
        if (isSuffix(path, "htm") || isSuffix(path, "html")) {
            QSaveFile out(path);
            const QByteArray page = book.page();
            if (!out.open(QIODevice::WriteOnly) || out.write(page) != page.size() || !out.commit())
                cannotWrite(path, out.errorString());
        } else if (const QString error = book.writePdf(path); !error.isEmpty()) {
            cannotWrite(path, error);
        }
        vb::MsgBox(QStringLiteral("The cookbook of %1 was saved as %2.")
                       .arg(recipes(book.size()), QDir::toNativeSeparators(path)),
                   vb::vbInformation, QString(), this);
    });
}
