#pragma once

#include <QByteArray>
#include <QHash>
#include <QVariant>

namespace x11 {

// The settings an XSETTINGS manager (the desktop's settings daemon) publishes in its
// _XSETTINGS_SETTINGS property, by name: integers as int, strings as QByteArray; colours are
// left out. Data that does not parse gives the settings read before the fault.
QHash<QByteArray, QVariant> ParseXSettings(const QByteArray& data);

}  // namespace x11
