#include "app/x11_clipboard.h"

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

struct Disconnect {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

xcb_atom_t atom(xcb_connection_t* c, std::string_view name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The next event that `wanted` accepts, or null once the deadline passed.
template <class Wanted>
Reply<xcb_generic_event_t> waitFor(xcb_connection_t* c, Clock::time_point deadline, Wanted wanted) {
    xcb_flush(c);
    for (;;) {
        while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
            if (wanted(*event)) return event;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (xcb_connection_has_error(c) != 0 || left <= 0) return nullptr;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
}

// Reads and deletes the property; the deletion asks the owner of an
// incremental transfer for its next piece.
Reply<xcb_get_property_reply_t> takeProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(
        c, xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4), nullptr));
}

QByteArray bytesOf(xcb_get_property_reply_t* reply) {
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
}

class ClipboardReader {
public:
    ClipboardReader(xcb_connection_t* c, std::chrono::milliseconds patience) : c_(c), patience_(patience) {}

    std::optional<QString> text() {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        if (screen == nullptr) return std::nullopt;
        window_ = xcb_generate_id(c_);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        clipboard_ = atom(c_, "CLIPBOARD");
        property_ = atom(c_, "VELMORA_CLIPBOARD");
        incremental_ = atom(c_, "INCR");

        const xcb_atom_t utf8 = atom(c_, "UTF8_STRING"), mimeUtf8 = atom(c_, "text/plain;charset=utf-8");
        const auto offered = targets();
        for (const xcb_atom_t target : {utf8, mimeUtf8, xcb_atom_t{XCB_ATOM_STRING}}) {
            if (std::find(offered.begin(), offered.end(), target) == offered.end()) continue;
            const std::optional<QByteArray> bytes = contents(target);
            if (!bytes) return std::nullopt;
            return target == XCB_ATOM_STRING ? QString::fromLatin1(*bytes) : QString::fromUtf8(*bytes);
        }
        return std::nullopt;
    }

private:
    // The formats the owner offers; none when there is no owner or no answer.
    std::vector<xcb_atom_t> targets() {
        const std::optional<QByteArray> list = contents(atom(c_, "TARGETS"));
        std::vector<xcb_atom_t> atoms(list ? static_cast<std::size_t>(list->size()) / sizeof(xcb_atom_t) : 0);
        if (!atoms.empty()) std::memcpy(atoms.data(), list->constData(), atoms.size() * sizeof(xcb_atom_t));
        return atoms;
    }

    // The clipboard converted to `target`, gathering an incremental
    // transfer piece by piece; nullopt when the owner refuses or is silent.
    std::optional<QByteArray> contents(xcb_atom_t target) {
        xcb_convert_selection(c_, window_, clipboard_, target, property_, XCB_CURRENT_TIME);
        const auto notified = waitFor(c_, Clock::now() + patience_, [](const xcb_generic_event_t& e) {
            return (e.response_type & 0x7f) == XCB_SELECTION_NOTIFY;
        });
        if (!notified ||
            reinterpret_cast<const xcb_selection_notify_event_t*>(notified.get())->property == XCB_ATOM_NONE) {
            return std::nullopt;
        }
        const auto first = takeProperty(c_, window_, property_);
        if (!first) return std::nullopt;
        if (first->type != incremental_) return bytesOf(first.get());

        QByteArray whole;
        for (;;) {
            const auto next = waitFor(c_, Clock::now() + patience_, [this](const xcb_generic_event_t& e) {
                const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(e);
                return (e.response_type & 0x7f) == XCB_PROPERTY_NOTIFY && p.atom == property_ &&
                       p.state == XCB_PROPERTY_NEW_VALUE;
            });
            if (!next) return std::nullopt;
            const auto piece = takeProperty(c_, window_, property_);
            if (!piece) return std::nullopt;
            if (xcb_get_property_value_length(piece.get()) == 0) return whole;
            whole += bytesOf(piece.get());
        }
    }

    xcb_connection_t* c_;
    std::chrono::milliseconds patience_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    xcb_atom_t clipboard_ = XCB_ATOM_NONE, property_ = XCB_ATOM_NONE, incremental_ = XCB_ATOM_NONE;
};

}  // namespace

std::optional<QString> readX11ClipboardText(const QByteArray& display, std::chrono::milliseconds patience) {
    const std::unique_ptr<xcb_connection_t, Disconnect> c(
        xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr));
    if (xcb_connection_has_error(c.get()) != 0) return std::nullopt;
    return ClipboardReader(c.get(), patience).text();
}
