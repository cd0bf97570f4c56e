// wlinput: one pointer and one keyboard on a Wayland compositor's seat, for
// tests that drive real windows the way a user does. The compositor must
// offer the virtual pointer and virtual keyboard protocols (wlroots-based
// ones do). Both devices live as long as the program, so the window that has
// the keyboard focus keeps it between commands.
//
//   wlinput WIDTH HEIGHT      the size of the compositor's whole layout, in
//                             its logical coordinates, for absolute moves
//
// Commands, one a line on standard input; each is answered on standard
// output by "ok" once the compositor has received it, or by "error: ..."
// naming what was wrong:
//   move X Y                  the pointer to X, Y of the layout
//   down [left|right|middle]  presses a button (left when none is named)
//   up [left|right|middle]    releases it
//   click [COUNT [GAP_MS]]    COUNT left clicks, GAP_MS apart (1, 80)
//   key NAME[+NAME...]        presses the keys in turn, releases them in
//                             reverse: "space", "Return", "ctrl+w", "alt+F4"
//   keydown NAME, keyup NAME  one key alone
//   sleep MS                  waits
// It prints "ready" once both devices exist.
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Globals
{
    wl_seat *seat = nullptr;
    zwlr_virtual_pointer_manager_v1 *pointers = nullptr;
    zwp_virtual_keyboard_manager_v1 *keyboards = nullptr;
};

void global(void *data, wl_registry *registry, uint32_t name, const char *interface,
            uint32_t /*version*/)
{
    auto *g = static_cast<Globals *>(data);
    if (!g->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        g->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        g->pointers = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        g->keyboards = static_cast<zwp_virtual_keyboard_manager_v1 *>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}

void globalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener RegistryListener = {global, globalRemove};

uint32_t now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint32_t(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

void sleepMs(long ms)
{
    timespec t{ms / 1000, (ms % 1000) * 1000000};
    while (nanosleep(&t, &t) == -1 && errno == EINTR) {
    }
}

bool parseNumber(const std::string &text, long low, long high, long *value)
{
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || errno || v < low || v > high)
        return false;
    *value = v;
    return true;
}

class Keyboard
{
public:
    ~Keyboard()
    {
        if (m_state)
            xkb_state_unref(m_state);
        if (m_keymap)
            xkb_keymap_unref(m_keymap);
        if (m_context)
            xkb_context_unref(m_context);
    }

    // The "us" layout, handed to the compositor through a memory file.
    bool create(zwp_virtual_keyboard_manager_v1 *manager, wl_seat *seat, std::string *error)
    {
        m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
        m_keymap = m_context
                       ? xkb_keymap_new_from_names(m_context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS)
                       : nullptr;
        if (!m_keymap) {
            *error = "cannot compile the \"us\" keyboard map (is xkb-data installed?)";
            return false;
        }
        m_state = xkb_state_new(m_keymap);
        char *text = xkb_keymap_get_as_string(m_keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
        const size_t size = std::strlen(text) + 1;
        const int fd = memfd_create("wlinput-keymap", MFD_CLOEXEC);
        bool written = fd >= 0;
        for (size_t done = 0; written && done < size;) {
            const ssize_t n = write(fd, text + done, size - done);
            written = n > 0;
            done += written ? size_t(n) : 0;
        }
        std::free(text);
        if (!written) {
            *error = std::string("cannot write the keyboard map: ") + std::strerror(errno);
            if (fd >= 0)
                close(fd);
            return false;
        }
        m_device = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
        zwp_virtual_keyboard_v1_keymap(m_device, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       uint32_t(size));
        close(fd);
        return true;
    }

    // The key that gives `name` without a modifier; 0 when there is none.
    xkb_keycode_t keycode(const std::string &name) const
    {
        static const std::pair<const char *, const char *> Aliases[] = {
            {"ctrl", "Control_L"}, {"shift", "Shift_L"}, {"alt", "Alt_L"}, {"super", "Super_L"}};
        std::string symName = name;
        for (const auto &alias : Aliases) {
            if (name == alias.first)
                symName = alias.second;
        }
        xkb_keysym_t sym = xkb_keysym_from_name(symName.c_str(), XKB_KEYSYM_NO_FLAGS);
        if (sym == XKB_KEY_NoSymbol)
            sym = xkb_keysym_from_name(symName.c_str(), XKB_KEYSYM_CASE_INSENSITIVE);
        if (sym == XKB_KEY_NoSymbol)
            return 0;
        for (xkb_keycode_t code = xkb_keymap_min_keycode(m_keymap);
             code <= xkb_keymap_max_keycode(m_keymap); ++code) {
            const xkb_keysym_t *syms = nullptr;
            const int n = xkb_keymap_key_get_syms_by_level(m_keymap, code, 0, 0, &syms);
            for (int i = 0; i < n; ++i) {
                if (syms[i] == sym)
                    return code;
            }
        }
        return 0;
    }

    void send(xkb_keycode_t code, bool down)
    {
        // The compositor counts in evdev codes, xkb eight higher.
        zwp_virtual_keyboard_v1_key(m_device, now(), code - 8,
                                    down ? WL_KEYBOARD_KEY_STATE_PRESSED
                                         : WL_KEYBOARD_KEY_STATE_RELEASED);
        const auto changed = xkb_state_update_key(m_state, code, down ? XKB_KEY_DOWN : XKB_KEY_UP);
        if (changed & (XKB_STATE_MODS_EFFECTIVE | XKB_STATE_LAYOUT_EFFECTIVE))
            zwp_virtual_keyboard_v1_modifiers(
                m_device, xkb_state_serialize_mods(m_state, XKB_STATE_MODS_DEPRESSED),
                xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LATCHED),
                xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LOCKED),
                xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_EFFECTIVE));
    }

private:
    xkb_context *m_context = nullptr;
    xkb_keymap *m_keymap = nullptr;
    xkb_state *m_state = nullptr;
    zwp_virtual_keyboard_v1 *m_device = nullptr;
};

bool buttonCode(const std::vector<std::string> &words, uint32_t *button, std::string *error)
{
    const std::string name = words.size() > 1 ? words[1] : "left";
    if (words.size() > 2 || (name != "left" && name != "right" && name != "middle")) {
        *error = "expected left, right or middle after " + words[0];
        return false;
    }
    *button = name == "left" ? BTN_LEFT : name == "right" ? BTN_RIGHT : BTN_MIDDLE;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    long width = 0, height = 0;
    if (argc != 3 || !parseNumber(argv[1], 1, 1 << 16, &width) ||
        !parseNumber(argv[2], 1, 1 << 16, &height)) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT (the layout's size, 1 to 65536)\n",
                     argc > 0 ? argv[0] : "wlinput");
        return 2;
    }
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "wlinput: cannot connect to the Wayland display '%s': %s\n",
                     std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "wayland-0",
                     std::strerror(errno));
        return 1;
    }
    Globals g;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &RegistryListener, &g);
    wl_display_roundtrip(display);
    const char *missing = !g.seat        ? "wl_seat"
                          : !g.pointers  ? zwlr_virtual_pointer_manager_v1_interface.name
                          : !g.keyboards ? zwp_virtual_keyboard_manager_v1_interface.name
                                         : nullptr;
    if (missing) {
        std::fprintf(stderr, "wlinput: the compositor offers no %s\n", missing);
        return 1;
    }
    zwlr_virtual_pointer_v1 *pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.pointers, g.seat);
    Keyboard keyboard;
    std::string error;
    if (!keyboard.create(g.keyboards, g.seat, &error)) {
        std::fprintf(stderr, "wlinput: %s\n", error.c_str());
        return 1;
    }
    if (wl_display_roundtrip(display) < 0) {
        std::fprintf(stderr, "wlinput: the compositor refused the devices: %s\n",
                     std::strerror(wl_display_get_error(display)));
        return 1;
    }
    std::cout << "ready" << std::endl;

    const auto button = [&](uint32_t code, bool down) {
        zwlr_virtual_pointer_v1_button(pointer, now(), code,
                                       down ? WL_POINTER_BUTTON_STATE_PRESSED
                                            : WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(pointer);
    };
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string w; in >> w;)
            words.push_back(w);
        error.clear();
        const std::string command = words.empty() ? std::string() : words[0];
        long a = 0, b = 0;
        uint32_t code = 0;
        if (command == "move") {
            if (words.size() != 3 || !parseNumber(words[1], 0, width - 1, &a) ||
                !parseNumber(words[2], 0, height - 1, &b)) {
                error = "move wants X Y within " + std::to_string(width) + " x " +
                        std::to_string(height) + ": '" + line + "'";
            } else {
                zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), uint32_t(a), uint32_t(b),
                                                        uint32_t(width), uint32_t(height));
                zwlr_virtual_pointer_v1_frame(pointer);
            }
        } else if (command == "down" || command == "up") {
            if (buttonCode(words, &code, &error))
                button(code, command == "down");
        } else if (command == "click") {
            a = 1;
            b = 80;
            if (words.size() > 3 || (words.size() > 1 && !parseNumber(words[1], 1, 10, &a)) ||
                (words.size() > 2 && !parseNumber(words[2], 0, 5000, &b))) {
                error = "click wants COUNT (1 to 10) and GAP_MS (0 to 5000): '" + line + "'";
            } else {
                for (long i = 0; i < a; ++i) {
                    if (i > 0) {
                        wl_display_flush(display);
                        sleepMs(b);
                    }
                    button(BTN_LEFT, true);
                    button(BTN_LEFT, false);
                }
            }
        } else if (command == "key" || command == "keydown" || command == "keyup") {
            std::vector<xkb_keycode_t> codes;
            std::string names = words.size() == 2 ? words[1] : std::string();
            for (size_t start = 0; words.size() == 2 && error.empty();) {
                const size_t plus = names.find('+', start + 1);
                const std::string name = names.substr(start, plus - start);
                const xkb_keycode_t k = keyboard.keycode(name);
                if (!k)
                    error = "no key gives '" + name + "' in the us layout";
                codes.push_back(k);
                if (plus == std::string::npos)
                    break;
                start = plus + 1;
            }
            if (words.size() != 2)
                error = command + " wants one key name: '" + line + "'";
            else if (command != "key" && codes.size() != 1)
                error = command + " takes a single key: '" + line + "'";
            if (error.empty()) {
                if (command != "keyup") {
                    for (xkb_keycode_t k : codes)
                        keyboard.send(k, true);
                }
                if (command != "keydown") {
                    for (auto k = codes.rbegin(); k != codes.rend(); ++k)
                        keyboard.send(*k, false);
                }
            }
        } else if (command == "sleep") {
            if (words.size() != 2 || !parseNumber(words[1], 0, 60000, &a))
                error = "sleep wants milliseconds (0 to 60000): '" + line + "'";
            else
                sleepMs(a);
        } else if (!command.empty()) {
            error = "unknown command '" + command + "'";
        }
        if (wl_display_roundtrip(display) < 0) {
            std::cout << "error: the compositor closed the connection" << std::endl;
            return 1;
        }
        if (error.empty())
            std::cout << "ok" << std::endl;
        else
            std::cout << "error: " << error << std::endl;
    }
    wl_display_disconnect(display);
    return 0;
}
