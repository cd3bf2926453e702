// Calls and screen shares from the PipeWire registry: a program whose capture stream runs records
// a microphone, a camera or a shared screen. The registry's events come through PipeWire's own
// loop, whose one descriptor the UI thread's event loop watches: no thread of ours, nothing polls.

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <map>

#include "platform/log.h"
#include "platform/presence_parts.h"

#include <pipewire/impl-module.h>
#include <pipewire/pipewire.h>

// PipeWire's listener macros cast the C way.
#pragma GCC diagnostic ignored "-Wold-style-cast"

namespace platform {

bool CountsAsCall(const QString& mediaClass, const QString& monitor) {
    // A level meter or a recorder of what plays (a monitor stream) hears no one.
    return (mediaClass == QLatin1String("Stream/Input/Audio") ||
            mediaClass == QLatin1String("Stream/Input/Video")) &&
           monitor != QLatin1String("true");
}

namespace {

QString Property(const spa_dict* props, const char* key) {
    const char* value = props ? spa_dict_lookup(props, key) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}

}  // namespace

class CallWatch final : public Presence::Part {
  public:
    explicit CallWatch(Presence& presence) : presence_(presence) {
        // The library's own log goes to stderr: only its errors belong there.
        static const bool initialised =
            (pw_init(nullptr, nullptr), pw_log_set_level(SPA_LOG_LEVEL_ERROR), true);
        Q_UNUSED(initialised);
        loop_ = pw_loop_new(nullptr);
        // A watcher of the registry needs the native protocol alone: not the client config's
        // modules (nodes, devices, session manager) nor the D-Bus support they come with.
        context_ = loop_ ? pw_context_new(loop_,
                                          pw_properties_new(PW_KEY_CONFIG_NAME, "null",
                                                            "support.dbus", "false", nullptr),
                                          0)
                         : nullptr;
        if (context_ && !pw_context_load_module(context_, "libpipewire-module-protocol-native",
                                                nullptr, nullptr)) {
            pw_context_destroy(context_);
            context_ = nullptr;
        }
        core_ = context_ ? pw_context_connect(context_, nullptr, 0) : nullptr;
        if (core_ == nullptr) {
            static bool said = false;
            if (!std::exchange(said, true))
                qCInfo(lcPlatform)
                    << "no PipeWire daemon:" << std::strerror(errno) << "- calls go unseen";
            return;
        }
        pw_core_add_listener(core_, &coreListener_, &kCoreEvents, this);
        registry_ = pw_core_get_registry(core_, PW_VERSION_REGISTRY, 0);
        pw_registry_add_listener(registry_, &registryListener_, &kRegistryEvents, this);
        notifier_ = std::make_unique<QSocketNotifier>(pw_loop_get_fd(loop_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { Dispatch(); });
    }
    ~CallWatch() override { Disconnect(); }

  private:
    struct Node {
        CallWatch* owner = nullptr;
        pw_proxy* proxy = nullptr;
        spa_hook listener{};
        QString mediaClass, monitor;
        bool running = false;
        ~Node() {
            spa_hook_remove(&listener);
            pw_proxy_destroy(proxy);
        }
    };

    void Dispatch() {
        pw_loop_enter(loop_);
        pw_loop_iterate(loop_, 0);
        pw_loop_leave(loop_);
        if (lost_) {
            Disconnect();
            presence_.ReportBusy(Presence::BusyReason::Call, false);
        }
    }

    void Recount() {
        bool call = false;
        for (const auto& [id, node] : nodes_)
            call = call || (node->running && CountsAsCall(node->mediaClass, node->monitor));
        presence_.ReportBusy(Presence::BusyReason::Call, call);
    }

    void Disconnect() {
        notifier_.reset();
        nodes_.clear();
        if (registry_) {
            spa_hook_remove(&registryListener_);
            pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry_));
            registry_ = nullptr;
        }
        if (core_) {
            spa_hook_remove(&coreListener_);
            pw_core_disconnect(core_);
            core_ = nullptr;
        }
        if (context_) pw_context_destroy(std::exchange(context_, nullptr));
        if (loop_) pw_loop_destroy(std::exchange(loop_, nullptr));
    }

    // Only capture streams are followed: other nodes' changes of state need not wake us.
    static void OnGlobal(void* data, uint32_t id, uint32_t, const char* type, uint32_t,
                         const spa_dict* props) {
        auto* self = static_cast<CallWatch*>(data);
        if (std::strcmp(type, PW_TYPE_INTERFACE_Node) != 0 ||
            !Property(props, PW_KEY_MEDIA_CLASS).startsWith(QLatin1String("Stream/Input/")))
            return;
        auto* proxy =
            static_cast<pw_proxy*>(pw_registry_bind(self->registry_, id, type, PW_VERSION_NODE, 0));
        if (proxy == nullptr) return;
        auto node = std::make_unique<Node>();
        node->owner = self;
        node->proxy = proxy;
        pw_node_add_listener(reinterpret_cast<pw_node*>(proxy), &node->listener, &kNodeEvents,
                             node.get());
        self->nodes_[id] = std::move(node);
    }
    static void OnGlobalRemove(void* data, uint32_t id) {
        auto* self = static_cast<CallWatch*>(data);
        if (self->nodes_.erase(id) > 0) self->Recount();
    }
    static void OnNodeInfo(void* data, const pw_node_info* info) {
        auto* node = static_cast<Node*>(data);
        if (info->change_mask & PW_NODE_CHANGE_MASK_PROPS) {
            node->mediaClass = Property(info->props, PW_KEY_MEDIA_CLASS);
            node->monitor = Property(info->props, PW_KEY_STREAM_MONITOR);
        }
        if (info->change_mask & PW_NODE_CHANGE_MASK_STATE)
            node->running = info->state == PW_NODE_STATE_RUNNING;
        node->owner->Recount();
    }
    static void OnCoreError(void* data, uint32_t id, int, int result, const char* message) {
        if (id != PW_ID_CORE || result != -EPIPE) return;
        qCInfo(lcPlatform) << "PipeWire went away:" << message << "- calls go unseen";
        static_cast<CallWatch*>(data)->lost_ = true;  // let go once its loop has returned
    }

    // Filled member by member: the events a listener leaves out stay null.
    static inline const pw_core_events kCoreEvents = [] {
        pw_core_events events{};
        events.version = PW_VERSION_CORE_EVENTS;
        events.error = &OnCoreError;
        return events;
    }();
    static inline const pw_registry_events kRegistryEvents = [] {
        pw_registry_events events{};
        events.version = PW_VERSION_REGISTRY_EVENTS;
        events.global = &OnGlobal;
        events.global_remove = &OnGlobalRemove;
        return events;
    }();
    static inline const pw_node_events kNodeEvents = [] {
        pw_node_events events{};
        events.version = PW_VERSION_NODE_EVENTS;
        events.info = &OnNodeInfo;
        return events;
    }();

    Presence& presence_;
    pw_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_registry* registry_ = nullptr;
    spa_hook coreListener_{}, registryListener_{};
    std::map<uint32_t, std::unique_ptr<Node>> nodes_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool lost_ = false;
};

PartPtr WatchCalls(Presence& presence) {
    return std::make_unique<CallWatch>(presence);
}

}  // namespace platform
