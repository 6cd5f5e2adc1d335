// KeyLabels: xkbcommon's keymap of the display or of a named layout, read
// once for the places Kolvar names.
#include "app/keylabels.h"

#ifdef KOLVAR_XKB
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>
#endif

namespace {

#ifdef KOLVAR_XKB
// The label of each place in the state's layout: the symbol of the key
// without modifiers, as text.
std::map<quint32, QString> read(xkb_state* state) {
    std::map<quint32, QString> labels;
    for (const KeyBindings::Place& place : KeyBindings::places()) {
        const xkb_keysym_t sym = xkb_state_key_get_one_sym(state, place.code);
        const uint32_t character = xkb_keysym_to_utf32(sym);
        if (character > ' ' && character != 0x7f)
            labels[place.code] =
                QString::fromUcs4(reinterpret_cast<const char32_t*>(&character), 1);
        else
            labels[place.code] = QString();
    }
    return labels;
}
#endif

} // namespace

KeyLabels KeyLabels::fromDisplay() {
    KeyLabels result;
#ifdef KOLVAR_XKB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!connection || xcb_connection_has_error(connection)) {
        if (connection)
            xcb_disconnect(connection);
        return result;
    }
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context && xkb_x11_setup_xkb_extension(
                       connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                       XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
        const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
        xkb_keymap* keymap = device < 0
                                 ? nullptr
                                 : xkb_x11_keymap_new_from_device(context, connection, device,
                                                                  XKB_KEYMAP_COMPILE_NO_FLAGS);
        // The state holds the layout in use, where a display has several.
        xkb_state* state =
            keymap ? xkb_x11_state_new_from_device(keymap, connection, device) : nullptr;
        if (state)
            result.labels = read(state);
        xkb_state_unref(state);
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
    xcb_disconnect(connection);
#endif
    return result;
}

KeyLabels KeyLabels::fromLayout(const char* layout, const char* variant) {
    KeyLabels result;
#ifdef KOLVAR_XKB
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return result;
    const xkb_rule_names names = {"evdev", "pc105", layout, variant, nullptr};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_state* state = keymap ? xkb_state_new(keymap) : nullptr;
    if (state)
        result.labels = read(state);
    xkb_state_unref(state);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
#else
    (void)layout;
    (void)variant;
#endif
    return result;
}

QString KeyLabels::label(quint32 code) const {
    const auto found = labels.find(code);
    return found == labels.end() ? QString() : found->second;
}

int KeyLabels::qtKey(quint32 code) const {
    const QString text = label(code).toUpper();
    // Qt's key codes of letters and digits are their upper-case code points.
    return text.size() == 1 ? text[0].unicode() : 0;
}

QStringList KeyLabels::apply(KeyBindings& keys, const QString& file) const {
    QStringList lines;
    for (int i = 0; i < KeyBindings::kMoves; ++i) {
        const Move move = KeyBindings::moveAt(i);
        const std::vector<quint32>& codes = keys.keysOf(move);
        for (quint32 code : codes) {
            if (!KeyBindings::isWorldKey(qtKey(code)))
                continue;
            lines << "Toets " + label(code).toUpper() + " staat op de plaats van " +
                         KeyBindings::placeOf(code)->name + " (US) en blijft " +
                         label(code).toUpper() + "; geef " + KeyBindings::moveName(move) +
                         " een andere toets onder [keys] in " + file;
        }
        if (codes.empty() || isEmpty())
            continue;
        const QString text = label(codes.front());
        if (!text.isEmpty())
            keys.setLabel(move, text.toUpper());
        else if (move != Move::View || codes.front() != KeyBindings::placeNamed("Tab")->code)
            keys.setLabel(move, KeyBindings::placeOf(codes.front())->name);
    }
    return lines;
}
