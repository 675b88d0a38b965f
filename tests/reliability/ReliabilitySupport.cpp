#include "ReliabilitySupport.h"

#include "TestSupport.h"
#include "store/RecipeBas.h"

#include <QFile>
#include <QRegularExpression>

#include <sqlite3.h>

namespace kxrel {

QString integrityCheck(const QString &path)
{
    sqlite3 *db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    QString result;
    if (rc != SQLITE_OK) {
        result = QStringLiteral("cannot open: %1").arg(QString::fromUtf8(sqlite3_errstr(rc)));
    } else {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt *stmt = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
        QStringList lines;
        while (rc == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            lines.append(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0))));
        if (rc != SQLITE_OK || sqlite3_finalize(stmt) != SQLITE_OK)
            lines.append(QString::fromUtf8(sqlite3_errmsg(db)));
        result = lines.join(QLatin1Char('\n'));
    }
    sqlite3_close_v2(db);
    return result;
}

qint64 queryInt(const QString &path, const QByteArray &sql)
{
    sqlite3 *db = nullptr;
    qint64 value = -1;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            value = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(db);
    return value;
}

QString helperPath()
{
    return QString::fromUtf8(KX_RELIABILITY_HELPER);
}

QString recipeName(const QString &id)
{
    return QStringLiteral("R") + id;
}

QStringList recipeTexts(const QString &id, int version)
{
    const QString tag = QStringLiteral("%1.v%2").arg(id).arg(version);
    // From a few hundred characters to several pages, different for every version.
    const int repeats = 20 + int((qHash(tag) % 900));
    return {recipeName(id), QStringLiteral("Cook ") + tag,
            (tag + QLatin1Char(';')).repeated(repeats) + QStringLiteral("\nend ") + tag,
            QStringLiteral("Steps of ") + tag + QStringLiteral("\n1. stir\n2. serve")};
}

namespace {

const QString KindNames[] = {QStringLiteral("add"), QStringLiteral("update"),
                             QStringLiteral("delete"), QStringLiteral("newcat"),
                             QStringLiteral("delcat")};

// The id and version of a stored record, when it is whole.
bool parseRecord(const QStringList &stored, QString *id, int *version)
{
    static const QRegularExpression nameForm(QStringLiteral("^R(\\S+) $"));
    static const QRegularExpression authorForm(QStringLiteral("^Cook (\\S+)\\.v(\\d+) $"));
    if (stored.size() != 4)
        return false;
    const auto name = nameForm.match(stored[0]);
    const auto author = authorForm.match(stored[1]);
    if (!name.hasMatch() || !author.hasMatch() || author.captured(1) != name.captured(1))
        return false;
    *id = name.captured(1);
    *version = author.captured(2).toInt();
    const QStringList texts = recipeTexts(*id, *version);
    for (int i = 0; i < 4; ++i) {
        if (stored[i] != RecipeBas::StoredText(texts[i]))
            return false;
    }
    return true;
}

} // namespace

QString opText(const Op &op)
{
    QString text = KindNames[int(op.kind)] + QLatin1Char(' ') + op.category;
    if (op.kind == Op::Kind::Add || op.kind == Op::Kind::Delete)
        text += QLatin1Char(' ') + op.id;
    if (op.kind == Op::Kind::Update)
        text += QLatin1Char(' ') + op.id + QLatin1Char(' ') + QString::number(op.version);
    return text;
}

bool parseOp(const QString &text, Op *op)
{
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() < 2)
        return false;
    const auto kind = std::find(std::begin(KindNames), std::end(KindNames), parts[0]);
    if (kind == std::end(KindNames))
        return false;
    op->kind = Op::Kind(kind - std::begin(KindNames));
    op->category = parts[1];
    const int wanted = op->kind == Op::Kind::Update                                ? 4
                       : op->kind == Op::Kind::Add || op->kind == Op::Kind::Delete ? 3
                                                                                   : 2;
    if (parts.size() != wanted)
        return false;
    op->id = wanted > 2 ? parts[2] : QString();
    op->version = wanted > 3 ? parts[3].toInt() : 0;
    return true;
}

bool apply(State &state, const Op &op)
{
    switch (op.kind) {
    case Op::Kind::NewCategory:
        if (state.contains(op.category))
            return false;
        state.insert(op.category, {});
        return true;
    case Op::Kind::DeleteCategory:
        return state.remove(op.category) == 1;
    case Op::Kind::Add:
        if (!state.contains(op.category) || state[op.category].contains(op.id))
            return false;
        state[op.category].insert(op.id, 0);
        return true;
    case Op::Kind::Update:
        if (!state.contains(op.category) || !state[op.category].contains(op.id))
            return false;
        state[op.category][op.id] = op.version;
        return true;
    case Op::Kind::Delete:
        return state.contains(op.category) && state[op.category].remove(op.id) == 1;
    }
    return false;
}

State readState(const QString &path, QString *problem)
{
    State state;
    for (const QString &category : kxtest::categories(path)) {
        QMap<QString, int> &recipes = state[category];
        const QList<QStringList> rows = kxtest::readCategory(path, category);
        for (const QStringList &row : rows) {
            QString id;
            int version = 0;
            if (!parseRecord(row, &id, &version)) {
                if (problem->isEmpty())
                    *problem = QStringLiteral("a record of %1 is not whole: %2")
                                   .arg(category, row.join(QStringLiteral(" | ")).left(300));
                continue;
            }
            if (recipes.contains(id) && problem->isEmpty())
                *problem = QStringLiteral("recipe %1 is twice in %2").arg(id, category);
            recipes.insert(id, version);
        }
    }
    return state;
}

int recipeCount(const State &state)
{
    int count = 0;
    for (const auto &recipes : state)
        count += int(recipes.size());
    return count;
}

} // namespace kxrel
