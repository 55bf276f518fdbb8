// Windows-1252 text of the configuration at the widget edge.
#pragma once

#include <QString>
#include <string>

#include "core/base/Ansi.h"

namespace vorel::Ansi {

inline QString toQString(const std::string& ansi) {
  return QString::fromStdString(ToUtf8(ansi));
}

// Characters outside the code page become '?'.
inline std::string fromQString(const QString& text) {
  return FromUtf8(text.toStdString());
}

}  // namespace vorel::Ansi
