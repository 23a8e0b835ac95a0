#pragma once

#include <QIcon>
#include <QString>

namespace mox {

/// The desktop icon theme's stand-in for a symbol name of the frame's tables.
QIcon symbolIcon(const QString& symbol);

}  // namespace mox
