#pragma once

// Recipe databases of a given shape, made through the engine the program uses, with
// categories "Category 001", "Category 002", ... and in each of them recipes with names, an
// author, ingredients and instructions of an everyday length, stored the way the program
// stores them (trimmed, one blank after).

#include <QString>

namespace bench {

inline const QString Password = QStringLiteral("9753102468mqzkrt");

QString categoryName(int category);           // 0-based
QString recipeName(int category, int recipe); // trimmed, 0-based; unique in the database

// Makes the database at path (which must not exist yet).
void makeDatabase(const QString &path, int categories, int recipesPerCategory);

} // namespace bench
