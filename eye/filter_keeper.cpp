#include "eye/filter_keeper.h"

#include <QDBusConnection>

#include "eye/gamma_filter.h"
#include "eye/log.h"
#include "platform/gamma.h"

namespace {

const char* const kLogindService = "org.freedesktop.login1";
const char* const kLogindPath = "/org/freedesktop/login1";
const char* const kLogindManager = "org.freedesktop.login1.Manager";

}  // namespace

FilterKeeper::FilterKeeper(QObject* parent) : QObject(parent) {
    // ApplyStoredFilter loads nothing while the filter is off.
    GammaBackend& backend = CurrentGammaBackend();
    watchesDisplays_ = backend.WatchDisplays([] { ApplyStoredFilter(); });
    if (watchesDisplays_)
        watched_ = &backend;
    else
        qCDebug(lcEye) << "display changes are not reported here";

    // Only the real logind (the owner of its name) is listened to.
    QDBusConnection bus = QDBusConnection::systemBus();
    watchesSleep_ =
        bus.isConnected() &&
        bus.connect(QString::fromLatin1(kLogindService), QString::fromLatin1(kLogindPath),
                    QString::fromLatin1(kLogindManager), QStringLiteral("PrepareForSleep"), this,
                    SLOT(OnPrepareForSleep(bool)));
    if (!watchesSleep_) qCDebug(lcEye) << "no system bus: resume from suspend is not heard";
}

FilterKeeper::~FilterKeeper() {
    if (watched_) watched_->StopWatchingDisplays();
}

void FilterKeeper::OnPrepareForSleep(bool sleeping) {
    // PrepareForSleep(true) comes before the suspend, (false) after the resume.
    if (!sleeping) ApplyStoredFilter();
}
