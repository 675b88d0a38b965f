#pragma once

// Registers the embedded artwork (":/buttons/...", ":/frame/...", ":/icons/..."). Safe to call
// any number of times; every control that paints from artwork calls it before it loads any.
void kxInitAssets();
