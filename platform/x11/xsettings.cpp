#include "platform/x11/xsettings.h"

#include <QtEndian>
#include <optional>

#include "platform/log.h"
#include "platform/x11/services_x11.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xlib.h>

namespace x11 {

namespace {

// Reads the property's fields in its own byte order; every read past the end fails.
class Reader {
  public:
    explicit Reader(const QByteArray& data) : data_(data) {}
    bool Start() {
        const auto order = Card(1);
        bigEndian_ = order == 1;
        return order && *order <= 1 && Skip(3);
    }
    std::optional<quint32> Card(int size) {
        if (size > Left()) return std::nullopt;
        const char* at = data_.constData() + pos_;
        pos_ += size;
        if (size == 1) return quint8(*at);
        if (size == 2)
            return bigEndian_ ? qFromBigEndian<quint16>(at) : qFromLittleEndian<quint16>(at);
        return bigEndian_ ? qFromBigEndian<quint32>(at) : qFromLittleEndian<quint32>(at);
    }
    std::optional<QByteArray> Bytes(quint32 size) {
        if (size > quint32(Left())) return std::nullopt;
        QByteArray bytes = data_.mid(pos_, size);
        pos_ += int(size);
        return Skip((4 - size % 4) % 4) ? std::optional(bytes) : std::nullopt;
    }
    bool Skip(int size) {
        if (size > Left()) return false;
        pos_ += size;
        return true;
    }

  private:
    int Left() const { return int(data_.size()) - pos_; }
    const QByteArray& data_;
    int pos_ = 0;
    bool bigEndian_ = false;
};

}  // namespace

QHash<QByteArray, QVariant> ParseXSettings(const QByteArray& data) {
    QHash<QByteArray, QVariant> settings;
    Reader in(data);
    if (!in.Start() || !in.Skip(4)) return settings;  // the serial
    const std::optional<quint32> count = in.Card(4);
    for (quint32 i = 0; count && i < *count; ++i) {
        const std::optional<quint32> type = in.Card(1);
        std::optional<quint32> nameLength;
        if (type && in.Skip(1)) nameLength = in.Card(2);
        const std::optional<QByteArray> name = nameLength ? in.Bytes(*nameLength) : std::nullopt;
        if (!name || !in.Skip(4)) break;  // the last change's serial
        if (*type == 0) {
            const std::optional<quint32> value = in.Card(4);
            if (!value) break;
            settings.insert(*name, qint32(*value));
        } else if (*type == 1) {
            const std::optional<quint32> length = in.Card(4);
            const std::optional<QByteArray> value = length ? in.Bytes(*length) : std::nullopt;
            if (!value) break;
            settings.insert(*name, *value);
        } else if (*type != 2 || !in.Skip(8)) {
            break;  // a type this reader cannot size
        }
    }
    return settings;
}

platform::SoundTheme Services::SoundThemeNow() {
    platform::SoundTheme theme;
    Display* display = connection_.Get();
    if (!display) return theme;
    const QByteArray name = "_XSETTINGS_S" + QByteArray::number(DefaultScreen(display));
    const Window manager =
        XGetSelectionOwner(display, XInternAtom(display, name.constData(), False));
    if (manager == 0) return theme;  // no settings daemon: the library's default theme
    const ErrorTrap trap;            // the manager may be gone by now
    const Atom property = XInternAtom(display, "_XSETTINGS_SETTINGS", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QByteArray bytes;
    if (XGetWindowProperty(display, manager, property, 0, 1 << 16, False, property, &type, &format,
                           &count, &after, &data) == Success &&
        data && format == 8)
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(count));
    if (data) XFree(data);
    const QHash<QByteArray, QVariant> settings = ParseXSettings(bytes);
    theme.name = QString::fromUtf8(settings.value("Net/SoundThemeName").toByteArray());
    if (const QVariant enabled = settings.value("Net/EnableEventSounds"); enabled.isValid())
        theme.enabled = enabled.toInt() != 0;
    return theme;
}

}  // namespace x11
