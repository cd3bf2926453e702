#include <canberra.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryFile>
#include <QThread>

#include "platform/log.h"
#include "platform/sound_player.h"

namespace platform {

namespace {

const char* EventId(Cue cue) {
    switch (cue) {
        case Cue::Message:
            return "message-new-instant";
        case Cue::Bell:
            return "bell";
        case Cue::Complete:
            return "complete";
        case Cue::Water:
            return "vita-companion-water";
    }
    return "bell";
}

// Hands `ended` to the UI thread, where `home` lives.
void EndOn(QObject* home, std::function<void()> ended) {
    if (ended) QMetaObject::invokeMethod(home, std::move(ended), Qt::QueuedConnection);
}

// What a sound that started carries to canberra's callback, which comes on its own thread.
struct Pending {
    QObject* home;
    std::function<void()> ended;
};

void Finished(ca_context*, uint32_t, int error, void* userdata) {
    auto* pending = static_cast<Pending*>(userdata);
    if (error != CA_SUCCESS && error != CA_ERROR_CANCELED && error != CA_ERROR_DESTROYED)
        qCDebug(lcPlatform) << "a sound ended early:" << ca_strerror(error);
    EndOn(pending->home, std::move(pending->ended));
    delete pending;
}

// The canberra context and everything that may take time, on the sound thread.
class Worker : public QObject {
  public:
    explicit Worker(QObject* home)
        : home_(home), name_(QGuiApplication::applicationDisplayName().toUtf8()) {}
    ~Worker() override {
        // Sounds still playing end here, each telling the UI thread.
        if (context_) ca_context_destroy(context_);
    }

    void Play(Cue cue, const SoundTheme& theme, std::function<void()> ended) {
        // Event sounds switched off on the desktop: not even the sound server is asked.
        if (!theme.enabled.value_or(true) || !Open()) return EndOn(home_, std::move(ended));
        ca_proplist* props = nullptr;
        if (ca_proplist_create(&props) != CA_SUCCESS) return EndOn(home_, std::move(ended));
        ca_proplist_sets(props, CA_PROP_EVENT_ID, EventId(cue));
        ca_proplist_sets(props, CA_PROP_MEDIA_ROLE, "event");
        if (!theme.name.isEmpty())
            ca_proplist_sets(props, CA_PROP_CANBERRA_XDG_THEME_NAME,
                             theme.name.toUtf8().constData());
        if (cue == Cue::Water) {
            const QString file = OwnSound(QStringLiteral(":/sounds/water.wav"));
            if (!file.isEmpty())
                ca_proplist_sets(props, CA_PROP_MEDIA_FILENAME,
                                 QFile::encodeName(file).constData());
        }
        auto* pending = new Pending{home_, std::move(ended)};
        // The callback comes only for a sound that started.
        const int result = ca_context_play_full(context_, ++lastId_, props, &Finished, pending);
        ca_proplist_destroy(props);
        if (result == CA_SUCCESS) return;
        EndOn(home_, std::move(pending->ended));
        delete pending;
        if (!playWarned_) {
            playWarned_ = true;
            qCWarning(lcPlatform) << "no sound for" << EventId(cue)
                                  << "(the desktop's sound theme or output):" << ca_strerror(result)
                                  << "- the reminders stay silent where they cannot sound";
        }
    }

  private:
    // Tried again at each sound while it fails: a sound server may start later.
    bool Open() {
        if (context_) return true;
        int result = ca_context_create(&context_);
        if (result == CA_SUCCESS)
            result = ca_context_change_props(
                context_, CA_PROP_APPLICATION_NAME, name_.constData(), CA_PROP_APPLICATION_ID,
                "vita-companion", CA_PROP_APPLICATION_ICON_NAME, "vita-companion", nullptr);
        if (result == CA_SUCCESS) result = ca_context_open(context_);
        if (result == CA_SUCCESS) return true;
        if (context_) ca_context_destroy(context_);
        context_ = nullptr;
        if (!openWarned_) {
            openWarned_ = true;
            qCWarning(lcPlatform) << "no sound server to play on:" << ca_strerror(result)
                                  << "- the reminders stay silent";
        }
        return false;
    }

    // A sound of the executable's, in a private file the library can read; written once.
    QString OwnSound(const QString& resource) {
        if (ownFile_.isOpen()) return ownFile_.fileName();
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        ownFile_.setFileTemplate(QDir(runtime.isEmpty() ? QDir::tempPath() : runtime)
                                     .filePath("vita-companion-XXXXXX.wav"));
        QFile source(resource);
        if (!source.open(QIODevice::ReadOnly) || !ownFile_.open() ||
            ownFile_.write(source.readAll()) != source.size() || !ownFile_.flush()) {
            qCWarning(lcPlatform) << "cannot write our own sound to" << ownFile_.fileName() << ":"
                                  << ownFile_.errorString();
            ownFile_.remove();
            ownFile_.close();
            return {};
        }
        return ownFile_.fileName();
    }

    QObject* home_;
    const QByteArray name_;  // as the sound settings list the program
    ca_context* context_ = nullptr;
    uint32_t lastId_ = 0;
    bool openWarned_ = false;
    bool playWarned_ = false;
    QTemporaryFile ownFile_;
};

class CanberraPlayer final : public SoundPlayer {
  public:
    explicit CanberraPlayer(std::function<SoundTheme()> theme) : theme_(std::move(theme)) {}
    ~CanberraPlayer() override {
        if (!worker_) return;
        thread_.quit();
        thread_.wait();
        delete worker_;  // its thread is over: destroyed here
    }

    void Play(Cue cue, std::function<void()> ended) override {
        if (!worker_) {
            // Nothing of the sound server before the first sound: the start pays nothing.
            worker_ = new Worker(&home_);
            worker_->moveToThread(&thread_);
            thread_.setObjectName(QStringLiteral("sounds"));
            thread_.start(QThread::LowPriority);
        }
        SoundTheme theme = theme_ ? theme_() : SoundTheme{};
        QMetaObject::invokeMethod(worker_, [worker = worker_, cue, theme = std::move(theme),
                                            ended = std::move(ended)]() mutable {
            worker->Play(cue, theme, std::move(ended));
        });
    }

  private:
    std::function<SoundTheme()> theme_;
    QObject home_;  // on the UI thread: where each `ended` comes
    QThread thread_;
    Worker* worker_ = nullptr;
};

class SilentPlayer final : public SoundPlayer {
  public:
    void Play(Cue, std::function<void()> ended) override { EndOn(&home_, std::move(ended)); }

  private:
    QObject home_;
};

}  // namespace

std::unique_ptr<SoundPlayer> MakeSilentPlayer() {
    return std::make_unique<SilentPlayer>();
}

std::unique_ptr<SoundPlayer> MakeCanberraPlayer(std::function<SoundTheme()> theme) {
    return std::make_unique<CanberraPlayer>(std::move(theme));
}

}  // namespace platform
