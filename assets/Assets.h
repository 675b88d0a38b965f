#pragma once

// Registers the embedded artwork (":/buttons/...", ":/frame/...", ":/icons/..."). Safe to call
// any number of times; every control that paints from artwork calls it before it loads any.
void kxInitAssets();

class QImage;
class QString;

// One picture of the embedded artwork, a PNG file ("" when it is missing). It is read as
// PNG straight away: left to find the format by itself, the reader first loads every image
// plugin of the system to ask each whether it knows the file.
QImage kxLoadArtwork(const QString &path);
