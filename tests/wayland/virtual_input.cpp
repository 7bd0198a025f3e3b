#include "tests/wayland/virtual_input.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>

#include "tests/wayland/test_connection.h"
#include "virtual-input-client-protocol.h"

namespace {

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
  auto* input = static_cast<VirtualInput*>(data);
  const std::string which = interface;
  if (which == wl_seat_interface.name && input->Seat == nullptr)
    input->Seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  else if (which == zwlr_virtual_pointer_manager_v1_interface.name)
    input->PointerManager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  else if (which == zwp_virtual_keyboard_manager_v1_interface.name)
    input->KeyboardManager = static_cast<zwp_virtual_keyboard_manager_v1*>(
        wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}
void GlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

// The default keymap (evdev rules, us layout) as XKB text in a file, which
// the virtual keyboard must send before its first key.
int KeymapFile(std::uint32_t& size) {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_keymap* keymap = context ? xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
  char* text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
  int fd = -1;
  if (text != nullptr) {
    size = static_cast<std::uint32_t>(std::strlen(text) + 1);
    fd = memfd_create("ombrel-test-keymap", MFD_CLOEXEC);
    if (fd >= 0 && write(fd, text, size) != static_cast<ssize_t>(size)) {
      close(fd);
      fd = -1;
    }
  }
  std::free(text);
  xkb_keymap_unref(keymap);
  xkb_context_unref(context);
  return fd;
}

}  // namespace

VirtualInput::VirtualInput() {
  display_ = ConnectAndBindGlobals(kRegistryListener, this);
  if (display_ == nullptr) {
    error_ = "cannot connect to the compositor";
    return;
  }
  if (Seat == nullptr || PointerManager == nullptr || KeyboardManager == nullptr) {
    error_ = "the compositor lacks a seat or the virtual pointer and keyboard managers";
    return;
  }
  pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(PointerManager, Seat);
  keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(KeyboardManager, Seat);
  std::uint32_t size = 0;
  const int keymap = KeymapFile(size);
  if (keymap < 0) {
    error_ = "cannot make an XKB keymap";
    return;
  }
  zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, keymap, size);
  close(keymap);
  Sync();
}

VirtualInput::~VirtualInput() {
  if (display_ != nullptr) wl_display_disconnect(display_);
}

void VirtualInput::Sync() {
  if (wl_display_roundtrip(display_) < 0) error_ = "lost the compositor";
}

void VirtualInput::Key(std::uint32_t key) {
  zwp_virtual_keyboard_v1_key(keyboard_, time_++, key, WL_KEYBOARD_KEY_STATE_PRESSED);
  zwp_virtual_keyboard_v1_key(keyboard_, time_++, key, WL_KEYBOARD_KEY_STATE_RELEASED);
  Sync();
}

void VirtualInput::Button(std::uint32_t button) {
  zwlr_virtual_pointer_v1_button(pointer_, time_++, button, WL_POINTER_BUTTON_STATE_PRESSED);
  zwlr_virtual_pointer_v1_frame(pointer_);
  zwlr_virtual_pointer_v1_button(pointer_, time_++, button, WL_POINTER_BUTTON_STATE_RELEASED);
  zwlr_virtual_pointer_v1_frame(pointer_);
  Sync();
}

void VirtualInput::Move(double dx, double dy) {
  zwlr_virtual_pointer_v1_motion(pointer_, time_++, wl_fixed_from_double(dx), wl_fixed_from_double(dy));
  zwlr_virtual_pointer_v1_frame(pointer_);
  Sync();
}

void VirtualInput::MoveTo(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height) {
  zwlr_virtual_pointer_v1_motion_absolute(pointer_, time_++, x, y, width, height);
  zwlr_virtual_pointer_v1_frame(pointer_);
  Sync();
}

void VirtualInput::Scroll(int notches) {
  zwlr_virtual_pointer_v1_axis_source(pointer_, WL_POINTER_AXIS_SOURCE_WHEEL);
  zwlr_virtual_pointer_v1_axis_discrete(pointer_, time_++, WL_POINTER_AXIS_VERTICAL_SCROLL,
                                        wl_fixed_from_int(15 * notches), notches);
  zwlr_virtual_pointer_v1_frame(pointer_);
  Sync();
}
