#include "ble/BluezBus.h"

#include <algorithm>

namespace {
constexpr int kObjectsTimeoutMs = 5000;
constexpr const char* kGivenUp = "the wait was given up";

std::string String(GVariant* props, const char* key) {
    const char* value = nullptr;
    if (props && g_variant_lookup(props, key, "&s", &value)) return value;
    if (props && g_variant_lookup(props, key, "&o", &value)) return value;
    return "";
}

std::vector<std::string> Strings(GVariant* props, const char* key) {
    std::vector<std::string> out;
    GVariantIter* iter = nullptr;
    if (!props || !g_variant_lookup(props, key, "as", &iter)) return out;
    const char* s = nullptr;
    while (g_variant_iter_next(iter, "&s", &s)) out.emplace_back(s);
    g_variant_iter_free(iter);
    return out;
}

int Mtu(GVariant* props) {
    guint16 mtu = 0;
    return props && g_variant_lookup(props, "MTU", "q", &mtu) ? mtu : 0;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

struct Raw {
    std::string path;
    GVariant* service = nullptr;  // GattService1 properties
    GVariant* characteristic = nullptr;
};
}  // namespace

std::string TakeError(GError* error) {
    if (!error) return "unknown error";
    gchar* remote = g_dbus_error_get_remote_error(error);
    g_dbus_error_strip_remote_error(error);
    std::string text = remote ? std::string(remote) + ": " + error->message : error->message;
    g_free(remote);
    g_error_free(error);
    return text;
}

const BleDeviceInfo* BluezObjects::Device(const std::string& address) const {
    for (const BleDeviceInfo& d : devices)
        if (d.address == address) return &d;
    return nullptr;
}

std::vector<BleCharacteristic> BluezObjects::Below(const std::string& devicePath) const {
    std::vector<BleCharacteristic> out;
    for (const BleCharacteristic& c : characteristics)
        if (c.path.starts_with(devicePath + "/")) out.push_back(c);
    return out;
}

std::unique_ptr<CBluezBus> CBluezBus::Connect(std::string& error, StopCheck stop) {
    GError* gerror = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, &gerror);
    GDBusConnection* bus = nullptr;
    if (address)
        bus = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &gerror);
    g_free(address);
    if (!bus) {
        error = "there is no D-Bus system bus (" + TakeError(gerror) + ")";
        return nullptr;
    }
    std::unique_ptr<CBluezBus> self(new CBluezBus(bus, std::move(stop)));
    std::string why;
    GVariant* reply = self->Ask(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner",
        g_variant_new("(s)", kService), G_VARIANT_TYPE("(s)"), kObjectsTimeoutMs, why);
    if (!reply) {
        if (self->Stopped())
            error = why;
        else if (why.find("NameHasNoOwner") != std::string::npos)
            error = "BlueZ (org.bluez) is not running on the D-Bus system bus";
        else
            error = "the D-Bus system bus does not answer (" + why + ")";
        return nullptr;
    }
    const char* owner = nullptr;
    g_variant_get(reply, "(&s)", &owner);
    self->m_owner = owner;
    g_variant_unref(reply);
    return self;
}

CBluezBus::CBluezBus(GDBusConnection* bus, StopCheck stop)
    : m_bus(bus), m_context(g_main_context_new()), m_stop(std::move(stop)) {}

CBluezBus::~CBluezBus() {
    g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
    g_object_unref(m_bus);
    Wait(0);  // lets the last references that wait on the context go
    g_main_context_unref(m_context);
}

void CBluezBus::SetStopCheck(StopCheck stop) {
    m_stop = std::move(stop);
    m_stopped = false;
}

bool CBluezBus::Stopped() {
    if (!m_stopped && m_stop && m_stop()) m_stopped = true;
    return m_stopped;
}

void CBluezBus::Wait(int ms) {
    if (ms <= 0) {
        while (g_main_context_iteration(m_context, FALSE)) {
        }
        return;
    }
    // One blocking iteration, woken by whatever arrives or by the timer.
    GSource* timer = g_timeout_source_new(static_cast<guint>(ms));
    g_source_set_callback(
        timer, [](gpointer) { return G_SOURCE_REMOVE; }, nullptr, nullptr);
    g_source_attach(timer, m_context);
    g_main_context_iteration(m_context, TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
    Wait(0);
}

GVariant* CBluezBus::Ask(const char* destination, const std::string& path, const char* interface,
                         const char* method, GVariant* args, const GVariantType* replyType,
                         int timeoutMs, std::string& error) {
    if (Stopped()) {
        if (args) g_variant_unref(g_variant_ref_sink(args));
        error = kGivenUp;
        return nullptr;
    }
    struct Pending {
        GVariant* reply = nullptr;
        GError* error = nullptr;
        bool done = false;
    } pending;
    GCancellable* cancel = g_cancellable_new();
    g_main_context_push_thread_default(m_context);
    g_dbus_connection_call(
        m_bus, destination, path.c_str(), interface, method, args, replyType,
        G_DBUS_CALL_FLAGS_NONE, timeoutMs, cancel,
        [](GObject* bus, GAsyncResult* result, gpointer data) {
            auto* p = static_cast<Pending*>(data);
            p->reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &p->error);
            p->done = true;
        },
        &pending);
    g_main_context_pop_thread_default(m_context);
    // A cancelled call still answers (with an error) on the context: the
    // loop ends only once `pending` is no longer used.
    while (!pending.done) {
        if (!g_cancellable_is_cancelled(cancel) && Stopped()) g_cancellable_cancel(cancel);
        Wait(kCheckMs);
    }
    g_object_unref(cancel);
    if (!pending.reply)
        error = Stopped() ? std::string(kGivenUp) : TakeError(pending.error);
    else if (pending.error)
        g_error_free(pending.error);
    return pending.reply;
}

bool CBluezBus::Call(const std::string& path, const char* interface, const char* method,
                     GVariant* args, int timeoutMs, std::string& error) {
    GVariant* reply = Ask(kService, path, interface, method, args, nullptr, timeoutMs, error);
    if (!reply) return false;
    g_variant_unref(reply);
    return true;
}

bool CBluezBus::Objects(BluezObjects& objects, std::string& error) {
    GVariant* reply = Ask(kService, "/", "org.freedesktop.DBus.ObjectManager", "GetManagedObjects",
                          nullptr, G_VARIANT_TYPE("(a{oa{sa{sv}}})"), kObjectsTimeoutMs, error);
    if (!reply) return false;
    objects = {};
    std::vector<Raw> raws;
    GVariantIter* paths = nullptr;
    g_variant_get(reply, "(a{oa{sa{sv}}})", &paths);
    const char* path = nullptr;
    GVariantIter* interfaces = nullptr;
    while (g_variant_iter_next(paths, "{&oa{sa{sv}}}", &path, &interfaces)) {
        Raw raw{path};
        const char* name = nullptr;
        GVariant* props = nullptr;
        while (g_variant_iter_next(interfaces, "{&s@a{sv}}", &name, &props)) {
            const std::string_view iface(name);
            if (iface == "org.bluez.Adapter1") objects.adapters.emplace_back(path);
            if (iface == "org.bluez.Device1") {
                std::string shown = String(props, "Name");
                if (shown.empty()) shown = String(props, "Alias");
                objects.devices.push_back(
                    {path, String(props, "Address"), shown, Strings(props, "UUIDs")});
            }
            if (iface == "org.bluez.GattService1") {
                raw.service = props;
                continue;
            }
            if (iface == "org.bluez.GattCharacteristic1") {
                raw.characteristic = props;
                continue;
            }
            g_variant_unref(props);
        }
        g_variant_iter_free(interfaces);
        raws.push_back(raw);
    }
    g_variant_iter_free(paths);
    for (const Raw& r : raws) {
        if (!r.characteristic) continue;
        const std::string servicePath = String(r.characteristic, "Service");
        std::string serviceUuid;
        for (const Raw& s : raws)
            if (s.service && s.path == servicePath) serviceUuid = String(s.service, "UUID");
        objects.characteristics.push_back({r.path, FullUuid(Lower(serviceUuid)),
                                           FullUuid(Lower(String(r.characteristic, "UUID"))),
                                           Strings(r.characteristic, "Flags"),
                                           Mtu(r.characteristic)});
    }
    for (Raw& r : raws) {
        if (r.service) g_variant_unref(r.service);
        if (r.characteristic) g_variant_unref(r.characteristic);
    }
    g_variant_unref(reply);
    return true;
}
