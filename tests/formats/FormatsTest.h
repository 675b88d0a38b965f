#pragma once

#include "formats/RecipeReader.h"

#include <QBuffer>
#include <QObject>
#include <QStringList>

// Every entry a file's reader hands out, each as one line of text: "name | author |
// ingredients | instructions | categories" (line breaks shown as " / "), or "skip LINE: reason".
inline QStringList ReadAll(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QStringList out;
    auto reader = formats::OpenReader(buffer, formats::DetectFormat(buffer));
    formats::ReadEntry e;
    while (reader && reader->next(e)) {
        if (!e.ok()) {
            out << QStringLiteral("skip %1: %2").arg(e.line).arg(e.skipped);
            continue;
        }
        const auto &r = e.recipe;
        out << QStringList{r.name, r.author, r.ingredients, r.instructions, r.categories.join(u',')}
                   .join(QStringLiteral(" | "))
                   .replace(QLatin1Char('\n'), QStringLiteral(" / "));
    }
    return out;
}

class FormatsTest : public QObject
{
    Q_OBJECT

private slots:
    void detect_data();
    void detect();
    void mealMaster_data();
    void mealMaster();
    void schemaOrg_data();
    void schemaOrg();
    // test_roundtrip.cpp
    void roundTrip_data();
    void roundTrip();
    void mealMasterLimits();
};
