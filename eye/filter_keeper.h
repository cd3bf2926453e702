#pragma once

#include <QObject>

class GammaBackend;

// Keeps the blue-light filter on the screen when the screen loses it behind the program's back:
// a monitor plugged in, a mode or resolution change, a resume from suspend can leave a CRTC with
// the identity ramp while the page says the filter is on. It listens (RandR changes through the
// gamma backend, logind's PrepareForSleep on the system bus) and puts the stored filter back on
// every CRTC, new ones included, when the filter is on. Nothing polls: at rest nothing runs.
class FilterKeeper : public QObject {
    Q_OBJECT
  public:
    explicit FilterKeeper(QObject* parent = nullptr);
    ~FilterKeeper() override;
    FilterKeeper(const FilterKeeper&) = delete;
    FilterKeeper& operator=(const FilterKeeper&) = delete;

    bool WatchesDisplays() const { return watchesDisplays_; }
    bool WatchesSleep() const { return watchesSleep_; }

  private slots:
    void OnPrepareForSleep(bool sleeping);

  private:
    GammaBackend* watched_ = nullptr;  // the backend whose displays are watched
    bool watchesDisplays_ = false;
    bool watchesSleep_ = false;
};
