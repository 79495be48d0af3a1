// SPDX-License-Identifier: MIT
// Keys into KWin through its fake-input Wayland protocol, for trying Tavrine on a headless KWin
// (which has no X server to inject into). Reads commands from standard input, one a line, and
// prints "ok" after each once KWin has taken it:
//   keydown KEY | keyup KEY | key KEY | sleep SECONDS
// KEY: a name from the table below. KWin grants the protocol only to clients it trusts; run it with
// KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 set for KWin.
#define _POSIX_C_SOURCE 200809L
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input* fake;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  (void)data;
  if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4) {
    fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
  }
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

static const struct {
  const char* name;
  uint32_t code;
} keys[] = {{"Control_L", KEY_LEFTCTRL},
            {"Shift_L", KEY_LEFTSHIFT},
            {"Alt_L", KEY_LEFTALT},
            {"Super_L", KEY_LEFTMETA},
            {"Escape", KEY_ESC},
            {"Tab", KEY_TAB},
            {"Return", KEY_ENTER},
            {"o", KEY_O},
            {"n", KEY_N}};

static int code_of(const char* name, uint32_t* code) {
  for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i) {
    if (strcmp(keys[i].name, name) == 0) {
      *code = keys[i].code;
      return 1;
    }
  }
  return 0;
}

int main(void) {
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL) {
    fprintf(stderr, "kwin_keys: no Wayland display\n");
    return 1;
  }
  struct wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, NULL);
  wl_display_roundtrip(display);
  if (fake == NULL) {
    fprintf(stderr, "kwin_keys: the compositor offers no org_kde_kwin_fake_input version 4\n");
    return 1;
  }
  org_kde_kwin_fake_input_authenticate(fake, "tavrine try-kwin", "inject test keys");
  wl_display_roundtrip(display);
  printf("ready\n");
  fflush(stdout);
  char line[128], verb[32], arg[64];
  while (fgets(line, sizeof line, stdin) != NULL) {
    arg[0] = '\0';
    if (sscanf(line, "%31s %63s", verb, arg) < 1) continue;
    uint32_t code = 0;
    int down = strcmp(verb, "keydown") == 0 || strcmp(verb, "key") == 0;
    int up = strcmp(verb, "keyup") == 0 || strcmp(verb, "key") == 0;
    if ((down || up) && !code_of(arg, &code)) {
      fprintf(stderr, "kwin_keys: unknown key '%s'\n", arg);
    } else {
      if (down) org_kde_kwin_fake_input_keyboard_key(fake, code, WL_KEYBOARD_KEY_STATE_PRESSED);
      if (up) org_kde_kwin_fake_input_keyboard_key(fake, code, WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    if (strcmp(verb, "sleep") == 0) {
      double s = atof(arg);
      struct timespec t = {(time_t)s, (long)((s - (double)(time_t)s) * 1e9)};
      nanosleep(&t, NULL);
    }
    if (wl_display_roundtrip(display) < 0) return 1;
    printf("ok\n");
    fflush(stdout);
  }
  return 0;
}
