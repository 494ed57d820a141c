#pragma once

#include <QString>

// Registers the embedded resource tree (the library is static, so the
// executable and the tests call this once before touching ":/" paths).
void initResources();

// The whole text of a resource, or an empty string when it cannot be opened.
QString readResourceText(const QString& path);
