#pragma once

#include <QByteArray>
#include <QString>

namespace formats {

// The text of a file's bytes: UTF-8 where the bytes are valid UTF-8, else the old DOS code
// page 437 that the recipe archives of the nineties were written in.
QString DecodeText(QByteArrayView bytes);
QString DecodeCp437(QByteArrayView bytes);
bool IsValidUtf8(QByteArrayView bytes);
// Bytes that no text file holds: control characters other than tab, line and page breaks,
// and the end-of-file mark of DOS.
bool HasBinaryBytes(QByteArrayView bytes);
// A file that is no text at all: more than one byte in ten is one that no text holds. (A text
// file with a few such bytes is read; the recipes they fall in are skipped.)
bool LooksBinary(QByteArrayView bytes);

} // namespace formats
